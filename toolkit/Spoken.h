#pragma once

#include <string>
#include <string_view>

namespace tk {

// What a screen reader is given for a caption: a run of blanks or line breaks is one blank,
// an access-key mark is dropped ("&&" stands for "&"), and nothing is left at either end.
std::string spokenText(std::string_view caption);

// The words of a caption before the first room it leaves for other controls (a run of two
// or more blanks, or a line break), as spoken: "Shutdown time:" of
// "Shutdown time:        :h         :m        :s".
std::string leadingPhrase(std::string_view caption);

} // namespace tk
