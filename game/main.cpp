#include "GameStart.h"

int main() {
    return runGlyphcage();
}
