// The framework's two ways of reporting a broken precondition.
//
// WCEUI_CHECK is for framework operations: when the condition is false it logs
// "<operation>,check(<condition>)fail" at level error, writes the assertion text to the
// debug output (an attached debugger stops there) and evaluates to false. It never
// returns on the caller's behalf, so the failure result stays visible at the call site:
//
//     if (!WCEUI_CHECK("CJxGlobalData::SetWndDir", NULL != pWndDir)) return FALSE;
//
// JX_ASSERT is the same without the log line, for the containers and the class registry:
// they sit below the log, and static registration runs before the log may be opened.
#pragma once

#include "wce/types.h"

// Both return false so that the macros can be used as conditions.
bool JxAssertFailed(const char* pFile, int nLine, const char* pCondition);
bool JxCheckFailed(const char* pOperation, const char* pCondition, const char* pFile, int nLine);

#define JX_ASSERT(cond) ((cond) ? true : JxAssertFailed(__FILE__, __LINE__, #cond))
#define WCEUI_CHECK(operation, cond) ((cond) ? true : JxCheckFailed((operation), #cond, __FILE__, __LINE__))
