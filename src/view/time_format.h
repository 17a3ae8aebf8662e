#pragma once

#include <cstdint>
#include <string>

namespace quillane {

// The one time format of the program: a distance of `bytes` at `bitrate`
// bit/s as minutes, an apostrophe and seconds with two decimals ("1'05.00"),
// or three with `showMilisec` ("1'05.000"). Negative distances give a
// negative minute and a negative rest ("-1'-2.50"). A bit rate that is not
// positive gives the text of 0 bytes.
std::string formatTime(int64_t bytes, float bitrate, bool showMilisec);

}  // namespace quillane
