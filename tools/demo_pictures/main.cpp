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
    if (const auto written = ris::demo::WriteSetFiles(set, set.Name, argv[1]); !written) {
      std::cerr << "demo_pictures: " << written.error() << '\n';
      return 1;
    }
  }
  return 0;
}
