#pragma once

namespace tk::qt {

// Input reached a text box: its text cursor blinks again, for a while.
void wakeCaret();

} // namespace tk::qt
