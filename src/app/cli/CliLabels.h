#pragma once
// norvaset-cli labels: a button label file (.NVL) or a panel label file (.VXL) printed as
// an A4 PDF, the same sheets the label windows print.
//
//   labels IN.nvl OUT.pdf [--kind 1|2|3|other] [--one-button]
//   labels IN.vxl OUT.pdf

#include <QString>

class CliHost;
struct CliOptions;

// Whether --kind and --one-button fit the label file; false with the reason.
bool CheckLabelOptions(const CliOptions& options, QString* error);

// options.args: IN and OUT. Returns the exit code: 0 written, 1 the label file could not
// be read or the PDF not written (nothing is left behind).
int RunLabelsCommand(const CliOptions& options, CliHost& host);
