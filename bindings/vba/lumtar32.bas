Attribute VB_Name = "lumtar32"
' lumtar32.bas - the exports of lumtar32.dll for VBA (Access, Excel, Word) and VB6.
'
' One module for 32-bit and 64-bit Office and for VB6. lumtar32.dll comes
' twice under the same name: the 32-bit one (win32 download) for 32-bit Office
' and VB6, the x64 one (win64 download) for 64-bit Office, which cannot load a
' 32-bit DLL (error 48). Under VBA 7 (Office 2010 on) LongPtr is 4 bytes in
' 32-bit Office and 8 bytes in 64-bit Office (Win64), so its declarations serve
' both: the device context, the font argument (BarFontDefault, BarFontNone,
' BarFontBold or VarPtr of a BarLogFont) and the returned name are LongPtr,
' the rectangle goes ByRef, the integers are Long. Put the DLL of Office's
' bitness beside the workbook or database, into the application's folder or on
' the PATH, or write its full path in place of "lumtar32.dll" below.
'
' Texts are passed as VBA strings, which VBA converts to the ANSI code page
' (1252 on a Western Windows). The conversions write into a string that the
' caller sized beforehand.
'
' Example:
'   Dim ean As String
'   ean = String$(19, vbNullChar)
'   If BarEanFromIsbn(ean, "1-234567-89-X") = 1 Then ean = Left$(ean, InStr(ean, vbNullChar) - 1)   ' 9781234567897
'   If BarToBmp(CurrentProject.Path & "\ean.bmp", ean, BarFontDefault, 600, 240, 5080, 2032, BarTypAll) <> BarOk Then MsgBox "no picture"
'   MsgBox BarCodeNameText(BarCodeTyp(ean, BarTypAll))                                              ' EAN 13
'
' The print call (version 1.1): a style record, lengths in micrometres, colours &HRRGGBB.
'   Dim style As BarPrintStyle, info As BarPrintInfo
'   style = BarPrintStyleZeroed(): style.module = 330: style.quietZones = 1: style.indicators = 1
'   info.size = LenB(info)
'   If BarPrint(CurrentProject.Path & "\ean.bmp", BarFmtBmp, "4006381333931+12", style, info) <> BarOk Then MsgBox "problem " & info.problem
Option Explicit

' Code types: single bits, tried lowest first.
Public Const BarTypIsbn As Long = 1
Public Const BarTypEan13 As Long = 2
Public Const BarTypEan8 As Long = 4
Public Const BarTypUpc12 As Long = 8
Public Const BarTypEan5 As Long = 16
Public Const BarTypEan2 As Long = 32
Public Const BarTyp2aus5 As Long = 64
Public Const BarTypCodabar As Long = 128
Public Const BarTyp3aus9 As Long = 256
Public Const BarTypAll As Long = 511

' Font argument: one of these or VarPtr of a BarLogFont.
Public Const BarFontDefault As Long = 0
Public Const BarFontNone As Long = 1
Public Const BarFontBold As Long = 2

' Results of BarToWmf and BarToBmp.
Public Const BarOk As Long = 0
Public Const BarErrCode As Long = 1
Public Const BarErrFile As Long = 2
Public Const BarErrGdi As Long = 3

' The print call (lumtar32_print.h).
Public Const BarTypItf14 As Long = 512
Public Const BarErrStyle As Long = 4
Public Const BarFmtWmf As Long = 1
Public Const BarFmtBmp As Long = 2
Public Const BarTextDefault As Long = 0
Public Const BarTextNone As Long = 1
Public Const BarTextBold As Long = 2
Public Const BarBearerFrame As Long = 0
Public Const BarBearerNone As Long = 1
Public Const BarBearerBars As Long = 2
Public Const BarPaperWhite As Long = 0
Public Const BarPaperColor As Long = 1
Public Const BarPaperNone As Long = 2
Public Const BarInkRgb As Long = 0
Public Const BarInkCmyk As Long = 1

Public Type BarRect
    Left As Long
    Top As Long
    Right As Long
    Bottom As Long
End Type

' LOGFONTA, 60 bytes; lfHeight in 64ths of the symbol's height (the default font has 8).
Public Type BarLogFont
    lfHeight As Long
    lfWidth As Long
    lfEscapement As Long
    lfOrientation As Long
    lfWeight As Long
    lfItalic As Byte
    lfUnderline As Byte
    lfStrikeOut As Byte
    lfCharSet As Byte
    lfOutPrecision As Byte
    lfClipPrecision As Byte
    lfQuality As Byte
    lfPitchAndFamily As Byte
    lfFaceName(0 To 31) As Byte
End Type

' The print call's style record, 152 bytes in 32-bit and 64-bit Office alike
' (no pointers in it): set size (BarPrintStyleZeroed does) and what you need.
Public Type BarPrintStyle
    size As Long
    types As Long
    width As Long
    height As Long
    physWidth As Long
    physHeight As Long
    dpi As Long
    module As Long
    magnification As Long
    barHeight As Long
    quietZones As Long
    indicators As Long
    bwr As Long
    bearer As Long
    bearerWidth As Long
    rotate As Long
    narrow As Long
    wide As Long
    text As Long
    textSize As Long
    textFace(0 To 31) As Byte
    inkModel As Long
    ink As Long
    cyan As Long
    magenta As Long
    yellow As Long
    black As Long
    paper As Long
    paperColor As Long
    paddingX As Long
    paddingY As Long
End Type

' What was drawn, or (problem) which field was refused; set size to LenB of it.
Public Type BarPrintInfo
    size As Long
    problem As Long
    typ As Long
    addOnType As Long
    width As Long
    height As Long
    physWidth As Long
    physHeight As Long
    module As Long
    moduleUnits As Long
    bwr As Long
End Type

#If VBA7 Then
Public Declare PtrSafe Function Bar2Hdc Lib "lumtar32.dll" (ByVal hdc As LongPtr, ByVal text As String, ByRef rect As BarRect, ByVal font As LongPtr, ByVal types As Long) As Long
Public Declare PtrSafe Function Bar2HdcEx Lib "lumtar32.dll" (ByVal hdc As LongPtr, ByVal text As String, ByRef rect As BarRect, ByVal font As LongPtr, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare PtrSafe Function BarToWmf Lib "lumtar32.dll" (ByVal path As String, ByVal text As String, ByVal font As LongPtr, ByVal width As Long, ByVal height As Long, ByVal types As Long) As Long
Public Declare PtrSafe Function BarToBmp Lib "lumtar32.dll" (ByVal path As String, ByVal text As String, ByVal font As LongPtr, ByVal pixelWidth As Long, ByVal pixelHeight As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long) As Long
Public Declare PtrSafe Function BarToClipboard Lib "lumtar32.dll" (ByVal text As String, ByVal font As LongPtr, ByVal xExt As Long, ByVal yExt As Long, ByVal types As Long) As Long
Public Declare PtrSafe Function BarToClipboardEx Lib "lumtar32.dll" (ByVal text As String, ByVal font As LongPtr, ByVal xExt As Long, ByVal yExt As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare PtrSafe Function BarCodeTyp Lib "lumtar32.dll" (ByVal text As String, ByVal types As Long) As Long
Public Declare PtrSafe Function BarCodeName Lib "lumtar32.dll" (ByVal typ As Long) As LongPtr
Public Declare PtrSafe Function BarIsbnFromEan Lib "lumtar32.dll" (ByVal isbnOut As String, ByVal ean As String) As Long
Public Declare PtrSafe Function BarEanFromIsbn Lib "lumtar32.dll" (ByVal eanOut As String, ByVal isbn As String) As Long
' The print call: BarOk, BarErrCode, BarErrFile, BarErrGdi or BarErrStyle; buffer is VarPtr(bytes(0)), or 0 to ask the size.
Public Declare PtrSafe Function BarPrint Lib "lumtar32.dll" (ByVal path As String, ByVal format As Long, ByVal text As String, ByRef style As BarPrintStyle, ByRef info As BarPrintInfo) As Long
Public Declare PtrSafe Function BarPrintToMemory Lib "lumtar32.dll" (ByVal buffer As LongPtr, ByVal size As Long, ByRef needed As Long, ByVal format As Long, ByVal text As String, ByRef style As BarPrintStyle, ByRef info As BarPrintInfo) As Long
' Any format by number (BarFmt...), sizes as BarToWmf (vector) or BarToBmp (raster).
Public Declare PtrSafe Function BarToFile Lib "lumtar32.dll" (ByVal path As String, ByVal format As Long, ByVal text As String, ByVal font As LongPtr, ByVal width As Long, ByVal height As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare PtrSafe Function BarToMemory Lib "lumtar32.dll" (ByVal buffer As LongPtr, ByVal size As Long, ByRef needed As Long, ByVal format As Long, ByVal text As String, ByVal font As LongPtr, ByVal width As Long, ByVal height As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Private Declare PtrSafe Function lstrlenA Lib "kernel32" (ByVal p As LongPtr) As Long
Private Declare PtrSafe Sub CopyMemory Lib "kernel32" Alias "RtlMoveMemory" (ByVal dest As String, ByVal src As LongPtr, ByVal length As Long)
#Else
Public Declare Function Bar2Hdc Lib "lumtar32.dll" (ByVal hdc As Long, ByVal text As String, ByRef rect As BarRect, ByVal font As Long, ByVal types As Long) As Long
Public Declare Function Bar2HdcEx Lib "lumtar32.dll" (ByVal hdc As Long, ByVal text As String, ByRef rect As BarRect, ByVal font As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare Function BarToWmf Lib "lumtar32.dll" (ByVal path As String, ByVal text As String, ByVal font As Long, ByVal width As Long, ByVal height As Long, ByVal types As Long) As Long
Public Declare Function BarToBmp Lib "lumtar32.dll" (ByVal path As String, ByVal text As String, ByVal font As Long, ByVal pixelWidth As Long, ByVal pixelHeight As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long) As Long
Public Declare Function BarToClipboard Lib "lumtar32.dll" (ByVal text As String, ByVal font As Long, ByVal xExt As Long, ByVal yExt As Long, ByVal types As Long) As Long
Public Declare Function BarToClipboardEx Lib "lumtar32.dll" (ByVal text As String, ByVal font As Long, ByVal xExt As Long, ByVal yExt As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare Function BarCodeTyp Lib "lumtar32.dll" (ByVal text As String, ByVal types As Long) As Long
Public Declare Function BarCodeName Lib "lumtar32.dll" (ByVal typ As Long) As Long
Public Declare Function BarIsbnFromEan Lib "lumtar32.dll" (ByVal isbnOut As String, ByVal ean As String) As Long
Public Declare Function BarEanFromIsbn Lib "lumtar32.dll" (ByVal eanOut As String, ByVal isbn As String) As Long
Public Declare Function BarPrint Lib "lumtar32.dll" (ByVal path As String, ByVal format As Long, ByVal text As String, ByRef style As BarPrintStyle, ByRef info As BarPrintInfo) As Long
Public Declare Function BarPrintToMemory Lib "lumtar32.dll" (ByVal buffer As Long, ByVal size As Long, ByRef needed As Long, ByVal format As Long, ByVal text As String, ByRef style As BarPrintStyle, ByRef info As BarPrintInfo) As Long
Public Declare Function BarToFile Lib "lumtar32.dll" (ByVal path As String, ByVal format As Long, ByVal text As String, ByVal font As Long, ByVal width As Long, ByVal height As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Public Declare Function BarToMemory Lib "lumtar32.dll" (ByVal buffer As Long, ByVal size As Long, ByRef needed As Long, ByVal format As Long, ByVal text As String, ByVal font As Long, ByVal width As Long, ByVal height As Long, ByVal physWidth As Long, ByVal physHeight As Long, ByVal types As Long, ByVal narrow As Long, ByVal wide As Long) As Long
Private Declare Function lstrlenA Lib "kernel32" (ByVal p As Long) As Long
Private Declare Sub CopyMemory Lib "kernel32" Alias "RtlMoveMemory" (ByVal dest As String, ByVal src As Long, ByVal length As Long)
#End If

' The display name of a type flag: "EAN 13", "3 aus 9", and "Ung" & Chr$(252) & "ltig" for
' anything but one flag.
' BarCodeName returns the library's own string, which is copied here, never freed.
Public Function BarCodeNameText(ByVal typ As Long) As String
#If VBA7 Then
    Dim p As LongPtr
#Else
    Dim p As Long
#End If
    Dim s As String
    p = BarCodeName(typ)
    s = String$(lstrlenA(p), vbNullChar)
    CopyMemory s, p, Len(s)
    BarCodeNameText = s
End Function

' A style record with its size set and every other field 0: BarToFile's picture.
Public Function BarPrintStyleZeroed() As BarPrintStyle
    Dim s As BarPrintStyle
    s.size = LenB(s)
    BarPrintStyleZeroed = s
End Function
