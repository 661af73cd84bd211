// One layer on its own, as a program using only it sees it: its umbrella header compiles with
// nothing but the include paths the layer declares, and the program takes every object of the
// layer's archive while linking only the libraries the layer itself links, so a member
// defined in a layer above (a virtual function, and with it the vtable) fails this link
// whatever the build type or the linker's choice of objects.
#include VANTOR_LAYER_UMBRELLA

int main() { return 0; }
