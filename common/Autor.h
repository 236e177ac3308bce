#pragma once
// The maker's web site. The help command offers its download page when the
// help file is missing, and the HTML export names it in the page's generator
// line. The host lies in the reserved ".example" domain until the program
// has a home page of its own.
inline constexpr char kStrankyAutora[] = "http://www.odkaznik.example";
// The download page of the maker's site, where the help file can be had.
inline constexpr char kStrankaKeStazeni[] = "/ke-stazeni.html";
