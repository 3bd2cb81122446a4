// demo_pictures OUTPUT_DIR: draws the demo product's picture sets and writes
// them as OUTPUT_DIR/backgrounds/<set>, icons/<set> and icons/thumbs/<set>.
#include <iostream>
#include <string>

#include "demo_sets.h"
#include "set_files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: demo_pictures OUTPUT_DIR\n";
    return 2;
  }
  for (const ris::demo::DemoSet& set : ris::demo::DemoSets()) {
    std::string why;
    if (!ris::demo::WriteSetFiles(set, set.Name, argv[1], why)) {
      std::cerr << "demo_pictures: " << why << '\n';
      return 1;
    }
  }
  return 0;
}
