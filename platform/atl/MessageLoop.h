// WTL::CMessageFilter and CIdleHandler: the hooks of a message loop. A modeless page takes its dialog
// keys through its filter and does its idle work through its idle handler.
#pragma once

#include <windows.h>

namespace WTL
{

// Idle and message-filter hooks of a message loop: a modeless page takes its dialog keys and does its
// idle work through them.
class CMessageFilter
{
public:
    virtual ~CMessageFilter() = default;
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;
};

class CIdleHandler
{
public:
    virtual ~CIdleHandler() = default;
    virtual BOOL OnIdle() = 0;
};

} // namespace WTL
