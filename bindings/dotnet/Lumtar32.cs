// Lumtar32.cs - P/Invoke declarations of lumtar32.dll (32-bit Windows,
// stdcall, and x64 Windows) and liblumtar32.so (Mono and .NET find it as
// "lumtar32").
//
// Pointers are IntPtr, strings or arrays and the integers int, so the same
// declarations serve a 32-bit and a 64-bit process; the process loads the
// lumtar32.dll of its own bitness (an AnyCPU program runs 64-bit on 64-bit
// Windows: ship runtimes/win-x86/native and runtimes/win-x64/native, see the
// README). Texts go in as ANSI strings, that is code page 1252
// on a Western Windows (Mono on Linux passes UTF-8, which equals it for ASCII,
// all a barcode holds). Results that may carry a German umlaut (the names and
// the conversion messages) come back as bytes; Barcode decodes them from code
// page 1252.
//
//   var r = new Native.RECT { Left = 0, Top = 0, Right = 1070, Bottom = 400 };
//   Native.Bar2Hdc(e.Graphics.GetHdc(), "4006381333931", ref r, Native.FontDefault, Native.BarTypAll);
//   Native.BarToBmp("ean.bmp", "4006381333931", Native.FontDefault, 600, 240, 5080, 2032, Native.BarTypAll);
//   string ean = Barcode.EanFromIsbn("1-234567-89-X");   // "9781234567897"
//   var style = Native.PrintStyle.Zeroed(); style.Module = 330; style.QuietZones = 1;
//   byte[] png = Barcode.Render("4006381333931+12", Native.BarFmtPng, style);   // the print call (1.1)
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace Lumtar32
{
    public static class Native
    {
        const string Library = "lumtar32";

        // Code types: single bits, tried lowest first.
        public const int BarTypIsbn = 1;
        public const int BarTypEan13 = 2;
        public const int BarTypEan8 = 4;
        public const int BarTypUpc12 = 8;
        public const int BarTypEan5 = 16;
        public const int BarTypEan2 = 32;
        public const int BarTyp2aus5 = 64;
        public const int BarTypCodabar = 128;
        public const int BarTyp3aus9 = 256;
        public const int BarTypAll = 511;

        // Results of BarToWmf and BarToBmp.
        public const int BarOk = 0;
        public const int BarErrCode = 1;
        public const int BarErrFile = 2;
        public const int BarErrGdi = 3;

        // Font argument: one of these or the address of a LOGFONTA (60 bytes).
        public static readonly IntPtr FontDefault = IntPtr.Zero;
        public static readonly IntPtr FontNone = new IntPtr(1);
        public static readonly IntPtr FontBold = new IntPtr(2);

        [StructLayout(LayoutKind.Sequential)]
        public struct RECT
        {
            public int Left, Top, Right, Bottom;
        }

        // Drawing: 1 when a symbol was drawn, 0 when the text fits none of the types.
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int Bar2Hdc(IntPtr hdc, string text, ref RECT rect, IntPtr font, int types);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int Bar2HdcEx(IntPtr hdc, string text, ref RECT rect, IntPtr font, int types, int narrow, int wide);

        // Files: BarOk, BarErrCode, BarErrFile or BarErrGdi. Sizes in 0.01 mm, BMP in pixels and 0.01 mm.
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToWmf(string path, string text, IntPtr font, int width, int height, int types);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToBmp(string path, string text, IntPtr font, int pixelWidth, int pixelHeight,
                                          int physWidth, int physHeight, int types);

        // Clipboard (CF_METAFILEPICT): the drawing result.
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToClipboard(string text, IntPtr font, int xExt, int yExt, int types);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToClipboardEx(string text, IntPtr font, int xExt, int yExt, int types, int narrow, int wide);

        // Detection and names. The name belongs to the library: read it, never free it.
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarCodeTyp(string text, int types);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern IntPtr BarCodeName(int type);

        // ISBN-10 <-> EAN-13: 1 with the result, 0 with a message in the buffer
        // (isbnOut at least 15 bytes, eanOut at least 19).
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarIsbnFromEan(byte[] isbnOut, string ean);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarEanFromIsbn(byte[] eanOut, string isbn);

        // ---- The print call (version 1.1, lumtar32_print.h): a text with a style record.
        public const int BarTypItf14 = 512;
        public const int BarErrStyle = 4;
        public const int BarFmtWmf = 1, BarFmtBmp = 2, BarFmtPng = 3, BarFmtSvg = 4, BarFmtPdf = 5, BarFmtEps = 6,
                         BarFmtTif = 7, BarFmtEmf = 8;
        public const int BarTextDefault = 0, BarTextNone = 1, BarTextBold = 2;
        public const int BarBearerFrame = 0, BarBearerNone = 1, BarBearerBars = 2;
        public const int BarPaperWhite = 0, BarPaperColor = 1, BarPaperNone = 2;
        public const int BarInkRgb = 0, BarInkCmyk = 1;

        // Lengths in micrometres, colours 0xRRGGBB; a zeroed record (Size set) draws what BarToFile draws.
        [StructLayout(LayoutKind.Sequential, CharSet = CharSet.Ansi)]
        public struct PrintStyle
        {
            public int Size, Types, Width, Height, PhysWidth, PhysHeight, Dpi, Module, Magnification, BarHeight;
            public int QuietZones, Indicators, Bwr, Bearer, BearerWidth, Rotate, Narrow, Wide, Text, TextSize;
            [MarshalAs(UnmanagedType.ByValTStr, SizeConst = 32)] public string TextFace;
            public int InkModel, Ink, Cyan, Magenta, Yellow, Black, Paper, PaperColor, PaddingX, PaddingY;

            public static PrintStyle Zeroed()
            {
                return new PrintStyle { Size = Marshal.SizeOf(typeof(PrintStyle)), TextFace = "" };
            }
        }

        // What was drawn, or (Problem) which field was refused.
        [StructLayout(LayoutKind.Sequential)]
        public struct PrintInfo
        {
            public int Size, Problem, Type, AddOnType, Width, Height, PhysWidth, PhysHeight, Module, ModuleUnits, Bwr;
        }

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarPrint(string path, int format, string text, ref PrintStyle style, ref PrintInfo info);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarPrintToMemory(byte[] buffer, uint size, out uint needed, int format, string text,
                                                  ref PrintStyle style, ref PrintInfo info);

        // Any format by number (BarFmtWmf...), sizes as BarToWmf (vector) or BarToBmp (raster).
        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToFile(string path, int format, string text, IntPtr font, int width, int height,
                                           int physWidth, int physHeight, int types, int narrow, int wide);

        [DllImport(Library, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true)]
        public static extern int BarToMemory(byte[] buffer, uint size, out uint needed, int format, string text, IntPtr font,
                                             int width, int height, int physWidth, int physHeight, int types, int narrow,
                                             int wide);
    }

    // The text functions with .NET strings.
    public static class Barcode
    {
        // Code page 1252; Latin-1 where the runtime lacks it (the library's texts agree in both).
        static readonly Encoding Cp1252 = GetCp1252();

        static Encoding GetCp1252()
        {
            try { return Encoding.GetEncoding(1252); } catch (Exception) { return Encoding.GetEncoding(28591); }
        }

        static string Decode(byte[] buffer)
        {
            int length = Array.IndexOf(buffer, (byte)0);
            return Cp1252.GetString(buffer, 0, length < 0 ? buffer.Length : length);
        }

        public static string Name(int type)
        {
            IntPtr p = Native.BarCodeName(type);
            int length = 0;
            while (Marshal.ReadByte(p, length) != 0) length++;
            byte[] bytes = new byte[length];
            Marshal.Copy(p, bytes, 0, length);
            return Cp1252.GetString(bytes);
        }

        // The EAN-13 of an ISBN-10; ArgumentException with the library's message.
        public static string EanFromIsbn(string isbn)
        {
            byte[] buffer = new byte[32];
            int ok = Native.BarEanFromIsbn(buffer, isbn);
            if (ok == 0) throw new ArgumentException(Decode(buffer), "isbn");
            return Decode(buffer);
        }

        // The picture of a code by the print call, as the bytes of a file of the format;
        // ArgumentException when the text fits none of the types or the style is refused.
        public static byte[] Render(string text, int format, Native.PrintStyle style)
        {
            Native.PrintInfo info;
            return Render(text, format, style, out info);
        }

        public static byte[] Render(string text, int format, Native.PrintStyle style, out Native.PrintInfo info)
        {
            info = new Native.PrintInfo { Size = Marshal.SizeOf(typeof(Native.PrintInfo)) };
            uint needed;
            int result = Native.BarPrintToMemory(null, 0, out needed, format, text, ref style, ref info);
            byte[] picture = new byte[needed];
            if (result == Native.BarOk)
                result = Native.BarPrintToMemory(picture, needed, out needed, format, text, ref style, ref info);
            if (result == Native.BarErrStyle) throw new ArgumentException("style refused: problem " + info.Problem, "style");
            if (result != Native.BarOk) throw new ArgumentException("no picture: result " + result, "text");
            return picture;
        }

        // The hyphenated ISBN-10 of an EAN-13 beginning with 978.
        public static string IsbnFromEan(string ean)
        {
            byte[] buffer = new byte[32];
            int ok = Native.BarIsbnFromEan(buffer, ean);
            if (ok == 0) throw new ArgumentException(Decode(buffer), "ean");
            return Decode(buffer);
        }
    }
}
