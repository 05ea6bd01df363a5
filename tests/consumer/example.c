#include <stdio.h>
#include <lumtar32.h>

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "ean13.bmp";
    const char* text = "4006381333931";
    /* 400 x 160 pixels, 34 x 14 mm: 300 dpi */
    int result = BarToBmp(path, text, BarFontDefault, 400, 160, 3387, 1355, BarTypAll);
    if (result != BarOk) {
        fprintf(stderr, "BarToBmp: %d\n", result);
        return 1;
    }
    printf("%s: %s %s\n", path, BarCodeName(BarCodeTyp(text, BarTypAll)), text);
    return 0;
}
