// A stand-in outside program that ends with the exit status its argument
// gives (0 without one).

#include <cstdlib>

int main(int argc, char** argv) { return argc > 1 ? std::atoi(argv[1]) : 0; }
