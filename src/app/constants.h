#pragma once
// The program's fixed values that name places outside it: the comic's front page and the author.

namespace dromix {

// The front page of the comic's web site: an http URL ending in "/".
inline constexpr char kPageUrl[] = "http://www.example.com/";

// The About window's credit line and the author's web site it links to.
inline constexpr wchar_t kAuthorCredit[] = L"Written by the Dromix developers";
inline constexpr char kAuthorUrl[] = "http://www.example.com/dromix/";

}  // namespace dromix
