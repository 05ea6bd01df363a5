{ Calls the text exports and BarToBmp through the unit; the argument is the
  BMP to write. Exit status 1 after the first failed check's message. }
program check;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

uses SysUtils, lumtar32;

var
  Failures: Integer = 0;
  Buffer: array[0..31] of AnsiChar;
  Style: TBarPrintStyle;
  Info: TBarPrintInfo;

procedure Expect(Ok: Boolean; const What: string);
begin
  if not Ok then begin WriteLn(ErrOutput, 'failed: ', What); Inc(Failures); end;
end;

begin
  Expect(BarCodeTyp('4006381333931', BarTypAll) = BarTypEan13, 'EAN-13 detected');
  Expect(BarCodeTyp('A1234B', BarTypAll) = BarTypCodabar, 'Codabar detected');
  Expect(BarCodeTyp('1234', BarTypEan8) = 0, '4 digits are no EAN-8');
  Expect(AnsiString(BarCodeName(BarTyp3aus9)) = '3 aus 9', 'name of Code 39');
  Expect(AnsiString(BarCodeName(511)) = 'Ung'#252'ltig', 'name of 511');
  Expect((BarEanFromIsbn(Buffer, '123456789X') = 1) and (AnsiString(Buffer) = '9781234567897'), 'EAN of an ISBN');
  Expect((BarIsbnFromEan(Buffer, '4006381333931') = 0) and (AnsiString(Buffer) = 'Keine Isbn-EAN'), 'no ISBN-EAN');
  Expect((BarEanFromIsbn(Buffer, '123456789x') = 0) and (AnsiString(Buffer) = 'Keine g'#252'ltige ISBN'), 'bad ISBN');
  DeleteFile(ParamStr(1));
  Expect(BarToBmp(PAnsiChar(AnsiString(ParamStr(1))), 'x', BarFontDefault, 600, 240, 5080, 2032, BarTypEan13) = BarErrCode,
    'BarErrCode');
  Expect(not FileExists(ParamStr(1)), 'no file for BarErrCode');
  Expect(BarToBmp(PAnsiChar(AnsiString(ParamStr(1))), '9638507', BarFontNone, 600, 240, 5080, 2032, BarTypAll) = BarOk,
    'BarToBmp');
  { The print call: EAN-8 at 0.33 mm and 600 dpi (8 pixels a module) with its quiet zones. }
  Style := BarPrintStyleZeroed;
  Style.module := 330; Style.dpi := 600; Style.quietZones := 1;
  FillChar(Info, SizeOf(Info), 0);
  Info.size := SizeOf(Info);
  Expect(BarPrint(PAnsiChar(AnsiString(ParamStr(1) + '.print.bmp')), BarFmtBmp, '96385074', @Style, @Info) = BarOk,
    'BarPrint');
  Expect((Info.typ = BarTypEan8) and (Info.moduleUnits = 8) and (Info.width = (7 + 67 + 7) * 8), 'BarPrint info');
  Style.bwr := 330;
  Expect((BarPrint('refused.bmp', BarFmtBmp, '96385074', @Style, @Info) = BarErrStyle) and (Info.problem = 8),
    'bwr of a module refused');
  if Failures > 0 then Halt(1);
end.
