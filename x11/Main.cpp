#include <cstdio>
int main() { std::puts("usage: petalrain [--help]"); return 0; }
