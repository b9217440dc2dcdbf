// A frame as gui makes it (the module's views, its workflow's panel when the workflow is on, the host's
// trace view), on a recording of the test's own, in front on the display for input driven through it.
#pragma once

#include "host/app/files/TextConversion.h"
#include "host/app/gui/FrameSession.h"
#include "host/tests/FrameInput.h"
#include "host/tests/RecordingFixtures.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

namespace HostTests
{

class FrameSessionFixture : public testing::Test
{
protected:
    FrameSessionFixture(const std::string& fileName, const std::string& text, Host::OpenOptions options = {})
        : file(fileName, text), options_(options)
    {
    }
    void SetUp() override
    {
        opened.emplace(file.Path(), options_);
        std::ostringstream problems;
        session.emplace(*opened, L"Sistra - frame test", RECT{0, 0, 1200, 900}, problems);
        SetForegroundWindow(Frame().Handle());
        Settle(Frame());
    }
    void TearDown() override
    {
        session.reset();
        opened.reset();
    }
    Host::FrameWindow& Frame() { return session->Frame(); }
    // The document as gui opens the file, in a fresh frame.
    void OpenInAFreshFrame(const std::wstring& path, const Host::OpenOptions& options = {})
    {
        session.reset();
        opened.reset();
        opened.emplace(Host::ToUtf8(path), options);
        std::ostringstream problems;
        session.emplace(*opened, L"Sistra - reopened", RECT{0, 0, 1200, 900}, problems);
        Settle(Frame());
    }

    TemporaryFile file;
    std::optional<Host::OpenedRecording> opened;
    std::optional<Host::FrameSession> session;

private:
    Host::OpenOptions options_;
};

} // namespace HostTests
