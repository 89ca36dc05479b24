// Uses the library only through the consumer's own shared library; exits 0
// when it counts the groups of a brace text.
#include "plugin.h"

int main() {
    return countGroups("a=(b), c=(d, e), f=g") == 2 ? 0 : 1;
}
