// ris: the saver's companion command for product makers.
#include <iostream>

int main() {
  std::cerr << "usage: ris settings FILE\n";
  return 2;
}
