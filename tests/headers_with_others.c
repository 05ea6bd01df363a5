/* lumtar32.h beside other libraries' headers: after X11's (which define BOOL,
 * BYTE and more), and on Windows before or after <windows.h>. Compiling is
 * the test. */
#if defined(_WIN32) && defined(LUMTAR_WINDOWS_FIRST)
#include <windows.h>
#elif !defined(_WIN32)
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#endif

#include "lumtar32_formats.h"
#include "lumtar32.h"

#if defined(_WIN32) && !defined(LUMTAR_WINDOWS_FIRST)
#include <windows.h>
#endif

#ifdef _WIN32
int Draws(HDC dc, const RECT* rect, const LOGFONTA* font) { return Bar2Hdc(dc, "12345", rect, font, BarTypEan5); }
#endif
int Fits(const char* text) { return BarCodeTyp(text, BarTypAll) == BarTypEan13 && LUMTAR32_VERSION_MAJOR >= 1; }
