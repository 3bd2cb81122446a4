#pragma once
// The names a product's own texts become outside the archive. A product's
// title is a registry key name ("Software\<title>"), a folder name, a
// window caption and a setup's name; the saver's file name is a file on the
// user's disk and the source of the archive's password. Every program that
// turns either into such a name asks here first, so that a title or a name
// that would break or harm there is refused alike everywhere.

#include <optional>
#include <string>
#include <string_view>

namespace ris {

// Why `title` cannot name the product, or nothing when it can. Refused: a
// control character (the Win32 calls stop reading a key's name at a NUL, so
// "Name<NUL>x" would stand for the key "Name" of another program), a
// backslash (it would name a key below another) and a title of nothing but
// blanks. An empty title is the caller's to judge: the saver keeps no
// settings for it.
std::optional<std::string> TitleRefusal(std::string_view title);

// Why `file_name` ("Flowers.scr", no folders) cannot be the saver's file,
// or nothing when it can. Refused: what Windows does not allow in a file
// name (control characters, <>:"/\|?*, a trailing dot or blank), the
// device names Windows reserves (CON.scr opens the console), and letters
// beyond ASCII, whose bytes, and so the archive's password, differ from one
// system's code page to the next.
std::optional<std::string> SaverNameRefusal(std::string_view file_name);

// The title as the error of a program that refuses it: "the title "..."
// cannot name the product: <why>", with control characters written as
// escapes so that the message itself stays one readable line.
std::string TitleRefusalMessage(std::string_view title, std::string_view why);

}  // namespace ris
