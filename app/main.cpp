#include <cstdio>

int main() {
    std::puts("Sorvek-IMM: the program is built; its main window is not there yet.");
    return 0;
}
