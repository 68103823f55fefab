// The program's identity: its title, shown in the title bar and as the caption
// of every message box, and the support addresses its messages name.
#pragma once

inline constexpr const char* kProductTitle = "Grumbosh";
inline constexpr const char* kSupportEmail = "support@grumbosh.example.org";
inline constexpr const char* kSupportWebsite = "https://grumbosh.example.org";
