/* An application with graphics functions of its own under the names of the
 * library's graphics subset, linked against liblumtar32.so: the library's
 * drawing must keep to its own. Writes an EAN-13 as the BMP file argv[1]. */
#include "lumtar32.h"

/* None of these may be called by the library: each would spoil the picture. */
int Rectangle(double width, double height) { return (int)(width * height); }
void* SelectObject(void* scene, int id) { return (char*)scene + id; }
int MulDiv(int a, int b, int c) { return a + b + c; }
int lstrlenA(const char* text) { return text ? -1 : 0; }

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    return BarToBmp(argv[1], "4006381333931", BarFontDefault, 600, 300, 0, 0, BarTypEan13);
}
