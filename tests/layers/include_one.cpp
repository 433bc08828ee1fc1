// One header, named by the build (ONE_HEADER), included from a folder's
// place in the stack.
#include ONE_HEADER
