#pragma once

// The windows' vertical scroll bar: 6 px, a grey handle and no arrows.
constexpr const char kThinScrollBarStyle[] =
    "QScrollBar:vertical { width: 6px; background: transparent; margin: 0px; }"
    "QScrollBar::handle:vertical { background: rgb(102, 102, 102); min-height: 50px; border-radius: 2px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }";
