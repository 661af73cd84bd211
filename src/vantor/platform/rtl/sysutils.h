#pragma once
// The runtime's text and conversion helpers in one include: numbers, dates and times,
// UTF-8 strings, Format and the string table.

#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/date_text.h>
#include <vantor/platform/rtl/format.h>
#include <vantor/platform/rtl/format_settings.h>
#include <vantor/platform/rtl/number_text.h>
#include <vantor/platform/rtl/string_table.h>
