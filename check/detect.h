// Validity rules of the code types.
#pragma once

namespace lumtar {

// Each takes a zero-terminated text and returns 1 when it passes, 0 otherwise.
// Character classes compare signed bytes: codes from 128 upward belong to none.
int IsDigitString(const char* text);
int IsEanValid(const char* text);
int IsIsbnValid(const char* text);
int IsCodabarValid(const char* text);
int IsCode39Valid(const char* text);

// Copies text without its "-" characters into form (20 bytes). Returns the
// length of the form, or -1 when more than 19 characters remain (form is then
// not complete).
int IsbnHyphenlessForm(const char* text, char (&form)[20]);

} // namespace lumtar
