{ lumtar32.pas - the exports of lumtar32.dll (32-bit Windows, stdcall) and
  liblumtar32.so (cdecl), for Free Pascal and Delphi.

  lumtar32.dll comes for Win32 and Win64 under the same name: ship the one
  the program is compiled for (pointers and TBarDC are pointer-sized, the
  integers LongInt on both). Texts are
  zero-terminated code page 1252 strings (AnsiString, PAnsiChar).

    uses lumtar32;
    var Ean: array[0..19] of AnsiChar; R: TBarRect = (Left: 0; Top: 0; Right: 1070; Bottom: 400);
    begin
      if BarEanFromIsbn(Ean, '1-234567-89-X') = 1 then WriteLn(Ean);      // 9781234567897
      BarToBmp('ean.bmp', Ean, BarFontDefault, 600, 240, 5080, 2032, BarTypAll);
      Bar2Hdc(Canvas.Handle, Ean, @R, BarFontBold, BarTypEan13);
      Style := BarPrintStyleZeroed; Style.module := 330; Style.quietZones := 1;   // the print call (1.1)
      BarPrint('ean.png', BarFmtPng, '4006381333931+12', @Style, nil);
    end. }
unit lumtar32;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

interface

const
{$IFDEF MSWINDOWS}
  LumtarLibrary = 'lumtar32.dll';
{$ELSE}
  LumtarLibrary = 'lumtar32';
{$ENDIF}

  { Code types: single bits, tried lowest first. }
  BarTypIsbn = 1;
  BarTypEan13 = 2;
  BarTypEan8 = 4;
  BarTypUpc12 = 8;
  BarTypEan5 = 16;
  BarTypEan2 = 32;
  BarTyp2aus5 = 64;
  BarTypCodabar = 128;
  BarTyp3aus9 = 256;
  BarTypAll = 511;

  { Font argument: one of these or the address of a LOGFONTA (Windows.TLogFontA, 60 bytes). }
  BarFontDefault = Pointer(0);
  BarFontNone = Pointer(1);
  BarFontBold = Pointer(2);

  { Results of BarToWmf and BarToBmp. }
  BarOk = 0;
  BarErrCode = 1;
  BarErrFile = 2;
  BarErrGdi = 3;

  { The print call (version 1.1, lumtar32_print.h). }
  BarTypItf14 = 512;
  BarErrStyle = 4;
  BarFmtWmf = 1; BarFmtBmp = 2; BarFmtPng = 3; BarFmtSvg = 4; BarFmtPdf = 5; BarFmtEps = 6; BarFmtTif = 7; BarFmtEmf = 8;
  BarTextDefault = 0; BarTextNone = 1; BarTextBold = 2;
  BarBearerFrame = 0; BarBearerNone = 1; BarBearerBars = 2;
  BarPaperWhite = 0; BarPaperColor = 1; BarPaperNone = 2;
  BarInkRgb = 0; BarInkCmyk = 1;

type
  { A device context: HDC of the Windows unit, a pointer of the native library. }
  TBarDC = NativeUInt;
  { Windows.TRect: left, top, right, bottom. }
  TBarRect = record
    Left, Top, Right, Bottom: LongInt;
  end;
  PBarRect = ^TBarRect;

  { The print call's style record: lengths in micrometres, colours $RRGGBB; a
    zeroed record (size set) draws what BarToFile draws. The same layout for
    Win32 and Win64: no pointers in it. }
  TBarPrintStyle = record
    size, types, width, height, physWidth, physHeight, dpi, module, magnification, barHeight: LongInt;
    quietZones, indicators, bwr, bearer, bearerWidth, rotate, narrow, wide, text, textSize: LongInt;
    textFace: array[0..31] of AnsiChar;
    inkModel, ink, cyan, magenta, yellow, black, paper, paperColor, paddingX, paddingY: LongInt;
  end;
  PBarPrintStyle = ^TBarPrintStyle;
  { What was drawn, or (problem) which field was refused. }
  TBarPrintInfo = record
    size, problem, typ, addOnType, width, height, physWidth, physHeight, module, moduleUnits, bwr: LongInt;
  end;
  PBarPrintInfo = ^TBarPrintInfo;

{ Drawing: 1 when a symbol was drawn, 0 when the text fits none of the types. }
function Bar2Hdc(hdc: TBarDC; text: PAnsiChar; rect: PBarRect; font: Pointer; types: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'Bar2Hdc';
function Bar2HdcEx(hdc: TBarDC; text: PAnsiChar; rect: PBarRect; font: Pointer; types, narrow, wide: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'Bar2HdcEx';

{ Files: BarOk, BarErrCode, BarErrFile or BarErrGdi. Sizes in 0.01 mm; BMP in pixels and 0.01 mm. }
function BarToWmf(path, text: PAnsiChar; font: Pointer; width, height, types: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToWmf';
function BarToBmp(path, text: PAnsiChar; font: Pointer; pixelWidth, pixelHeight, physWidth, physHeight,
  types: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToBmp';

{ Clipboard (CF_METAFILEPICT): the drawing result. }
function BarToClipboard(text: PAnsiChar; font: Pointer; xExt, yExt, types: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToClipboard';
function BarToClipboardEx(text: PAnsiChar; font: Pointer; xExt, yExt, types, narrow, wide: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToClipboardEx';

{ Detection and names; the name belongs to the library. }
function BarCodeTyp(text: PAnsiChar; types: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarCodeTyp';
function BarCodeName(typ: LongInt): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarCodeName';

{ ISBN-10 <-> EAN-13: 1 with the result, 0 with a message (isbnOut 15 bytes, eanOut 19 at least). }
function BarIsbnFromEan(isbnOut: PAnsiChar; ean: PAnsiChar): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarIsbnFromEan';
function BarEanFromIsbn(eanOut: PAnsiChar; isbn: PAnsiChar): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarEanFromIsbn';

{ The print call: BarOk, BarErrCode, BarErrFile, BarErrGdi or BarErrStyle; info may be nil. }
function BarPrint(path: PAnsiChar; format: LongInt; text: PAnsiChar; style: PBarPrintStyle;
  info: PBarPrintInfo): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarPrint';
function BarPrintToMemory(buffer: Pointer; size: LongWord; needed: PLongWord; format: LongInt; text: PAnsiChar;
  style: PBarPrintStyle; info: PBarPrintInfo): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarPrintToMemory';

{ Any format by number, sizes as BarToWmf (vector) or BarToBmp (raster). }
function BarToFile(path: PAnsiChar; format: LongInt; text: PAnsiChar; font: Pointer; width, height, physWidth,
  physHeight, types, narrow, wide: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToFile';
function BarToMemory(buffer: Pointer; size: LongWord; needed: PLongWord; format: LongInt; text: PAnsiChar;
  font: Pointer; width, height, physWidth, physHeight, types, narrow, wide: LongInt): LongInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external LumtarLibrary name 'BarToMemory';

{ A style record with its size set and every other field 0. }
function BarPrintStyleZeroed: TBarPrintStyle;

implementation

function BarPrintStyleZeroed: TBarPrintStyle;
begin
  FillChar(Result, SizeOf(Result), 0);
  Result.size := SizeOf(Result);
end;

end.
