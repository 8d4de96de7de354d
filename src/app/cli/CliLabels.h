#pragma once
// norvaset-cli labels: a button label file (.NVL) or a panel label file (.VXL) printed as
// an A4 PDF, the same sheets the label windows print.
//
//   labels IN.nvl OUT.pdf [--kind 1|2|3|other] [--one-button]
//   labels IN.vxl OUT.pdf

#include <QStringList>

// args: everything after "labels". Returns the exit code: 0 written, 1 the label file
// could not be read or the PDF not written (nothing is left behind), 2 usage.
int RunLabelsCommand(const QStringList& args);
