#pragma once
// The runtime's text and conversion helpers in one include: numbers, dates and times,
// UTF-8 strings, Format and the string table.

#include "platform/rtl/ansi_strings.h"
#include "platform/rtl/date_text.h"
#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/number_text.h"
#include "platform/rtl/string_table.h"
