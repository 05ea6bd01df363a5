// Calls every text export and the file exports through Lumtar32.cs; the
// argument is the BMP to write. Exit status 1 names the first failed check.
using System;
using System.IO;
using Lumtar32;

static class Check
{
    static int failures;

    static void Expect(bool ok, string what)
    {
        if (!ok) { Console.Error.WriteLine("failed: " + what); failures++; }
    }

    static int Main(string[] args)
    {
        Expect(Native.BarCodeTyp("4006381333931", Native.BarTypAll) == Native.BarTypEan13, "EAN-13 detected");
        Expect(Native.BarCodeTyp("123456789X", Native.BarTypAll) == Native.BarTypIsbn, "ISBN detected");
        Expect(Native.BarCodeTyp("9638507", Native.BarTypEan13) == 0, "7 digits are no EAN-13");
        Expect(Barcode.Name(Native.BarTyp2aus5) == "2 aus 5", "name of 2 of 5");
        Expect(Barcode.Name(0) == "Ung\u00fcltig", "name of 0");
        Expect(Barcode.EanFromIsbn("1-234567-89-X") == "9781234567897", "EAN of an ISBN");
        Expect(Barcode.IsbnFromEan("978123456789") == "1-234567-89-X", "ISBN of an EAN");
        try { Barcode.EanFromIsbn("1234567890"); Expect(false, "bad ISBN refused"); }
        catch (ArgumentException e) { Expect(e.Message.StartsWith("Keine g\u00fcltige ISBN"), "message " + e.Message); }

        string bmp = args[0];
        File.Delete(bmp);
        Expect(Native.BarToBmp(bmp, "abc", Native.FontDefault, 600, 240, 5080, 2032, Native.BarTypEan13) == Native.BarErrCode,
               "BarErrCode");
        Expect(!File.Exists(bmp), "no file for BarErrCode");
        Expect(Native.BarToBmp(bmp, "4006381333931", Native.FontBold, 600, 240, 5080, 2032, Native.BarTypAll) == Native.BarOk,
               "BarToBmp");
        byte[] bytes = File.ReadAllBytes(bmp);
        Expect(bytes.Length > 62 && bytes[0] == 'B' && bytes[1] == 'M' && BitConverter.ToInt32(bytes, 18) == 600, "BMP header");
        string wmf = Path.ChangeExtension(bmp, ".wmf");
        Expect(Native.BarToWmf(wmf, "1234", Native.FontNone, 5000, 2000, Native.BarTypAll) == Native.BarOk, "BarToWmf");
        Expect(BitConverter.ToUInt32(File.ReadAllBytes(wmf), 0) == 0x9AC6CDD7u, "placeable header");

        // The print call: the add-on beside its symbol at 0.33 mm, 8 pixels at 600 dpi.
        var style = Native.PrintStyle.Zeroed();
        style.Module = 330;
        style.Dpi = 600;
        style.QuietZones = 1;
        Native.PrintInfo info;
        byte[] print = Barcode.Render("4006381333931+12", Native.BarFmtBmp, style, out info);
        Expect(print[0] == 'B' && info.Type == Native.BarTypEan13 && info.AddOnType == Native.BarTypEan2, "print call");
        Expect(info.ModuleUnits == 8 && BitConverter.ToInt32(print, 18) == (3 + 107 + 5 + 22 + 3) * 8, "print size");
        File.WriteAllBytes(Path.ChangeExtension(bmp, ".print.bmp"), print);
        style.Rotate = 45;
        try { Barcode.Render("4006381333931", Native.BarFmtBmp, style); Expect(false, "rotate 45 refused"); }
        catch (ArgumentException e) { Expect(e.Message.StartsWith("style refused: problem 10"), "message " + e.Message); }
        return failures == 0 ? 0 : 1;
    }
}
