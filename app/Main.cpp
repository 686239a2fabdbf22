#include "Main.h"

#include "toolkit/Program.h"

namespace Module1 {

std::unique_ptr<Form1> Main(tk::Clock& clock, platform::Platform& system) {
    tk::initCommonControls();
    auto form1 = std::make_unique<Form1>(clock, system);
    form1->Show();
    return form1;
}

} // namespace Module1
