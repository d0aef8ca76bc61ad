#include "platform/zadevoz/zadevoz.h"

namespace zadevoz {
void RtfResetReport() {}
void RtfSetOutputFile(const std::string&) {}
int RtfOpenDocument(const std::string&, int, int, int, std::string_view) { return 0; }
int RtfCloseDocument(int) { return 0; }
int RtfWriteRaw(std::string_view) { return 0; }
int RtfWriteText(int, std::string_view) { return 0; }
int RtfInsertPicture(const std::string&, int, double, double, double, double) { return 0; }
int RtfInsertPictureLeft(const std::string&, int, double, double, double, double) { return 0; }
int RtfAppendFile(const std::string&, const std::string&, int, int) { return 0; }
int RtfBeginTable(int, const double*) { return 0; }
int RtfBeginTable(const std::vector<double>&) { return 0; }
int RtfBeginRow(int) { return 0; }
int RtfWriteCell(std::string_view) { return 0; }
int RtfWriteIntCell(std::string_view, int) { return 0; }
int RtfWriteNumberCell(std::string_view, double) { return 0; }
int RtfEndTable() { return 0; }
void RtfMessage(std::string_view) {}
std::string RtfSettings(std::string_view, std::string_view value) { return std::string(value); }
std::string FormatCellNumber(std::string_view format, double) { return std::string(format); }
}  // namespace zadevoz
