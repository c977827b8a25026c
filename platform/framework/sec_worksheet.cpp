#include "platform/framework/sec_worksheet.h"

IMPLEMENT_DYNCREATE(SECWorksheet, CMDIChildWnd)

SECWorksheet::SECWorksheet() = default;

SECWorksheet::~SECWorksheet() = default;
