// Reading one parameter's value, for both query forms (serve_query.cpp,
// serve_bwip.cpp): "" when it is good, otherwise what is wrong with it.
#pragma once

#include <string>

#include "serve_query.h"

namespace tool::params {

bool Int(const std::string& s, int low, int high, int& out);
bool Real(const std::string& s, double low, double high, double& out);
bool Flag(const std::string& s, bool& out); // "", 1, true, yes, on / 0, false, no, off
bool Colour(std::string s, long& out);      // RRGGBB, #RRGGBB or #RGB
std::string Need(bool ok, const char* what);
std::string SetText(Query& q, const std::string& v);
std::string SetFormat(Query& q, const std::string& v);
Parsed Refuse(int status, std::string reason);
// What holds for a query from either form: options that go together, sizes
// within the limits.
Parsed Checked(const Query& q);

} // namespace tool::params
