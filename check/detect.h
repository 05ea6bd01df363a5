// Type detection and the validity rules of the code types.
#pragma once

namespace lumtar {

// The first flag of types (lowest first) that text fits, 0 when none does;
// bits from 512 up are ignored. text is not null.
int DetectType(const char* text, int types);
// The display name of one type flag; any other value is named "Ung\xFCltig".
const char* TypeName(int type);

// Each takes a zero-terminated text and returns 1 when it passes, 0 otherwise.
// Character classes compare signed bytes: codes from 128 upward belong to none.
int IsDigitString(const char* text);
int IsIsbnValid(const char* text);
int IsCodabarValid(const char* text);
int IsCode39Valid(const char* text);

// Copies text without its "-" characters into form (20 bytes). Returns the
// length of the form, or -1 when more than 19 characters remain (form is then
// not complete).
int IsbnHyphenlessForm(const char* text, char (&form)[20]);

} // namespace lumtar
