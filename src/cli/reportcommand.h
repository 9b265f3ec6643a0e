#pragma once

#include <QCoreApplication>
#include <memory>

// The tool's application object. The report lays out text and needs fonts,
// so for it this is a QGuiApplication on the offscreen platform (unless the
// caller chose a platform), which works without a display.
std::unique_ptr<QCoreApplication> MakeCliApplication(int &argc, char **argv);
