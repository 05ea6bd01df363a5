{ Calls the text exports and BarToBmp through the unit; the argument is the
  BMP to write. Exit status 1 after the first failed check's message. }
program check;

{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}

uses SysUtils, lumtar32;

var
  Failures: Integer = 0;
  Buffer: array[0..31] of AnsiChar;

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
  if Failures > 0 then Halt(1);
end.
