#pragma once

class QWidget;

namespace vesk {
namespace pc {

// With ORLACAM_REPORT_SHOWN set, prints "shown" on standard output once a
// window has painted for the first time and the event loop has come round:
// the end point of the start-up benchmark, the same for the program and for
// a bare window.
class ShownReport
{
public:
    ShownReport() = delete;

    // Does nothing unless the variable is set.
    static void watch(QWidget* window);
};

} // namespace pc
} // namespace vesk
