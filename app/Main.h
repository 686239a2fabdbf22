#pragma once

#include "forms/Form1/Form1.h"

#include <memory>

namespace Module1 {

// Starts the program: the common controls, then the countdown window, shown modelessly. The
// caller keeps the window while the event loop runs.
std::unique_ptr<Form1> Main(tk::Clock& clock, platform::Platform& system);

} // namespace Module1
