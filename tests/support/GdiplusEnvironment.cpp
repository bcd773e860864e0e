// Linked into every test program that draws: GDI+ for the whole run, and the process DPI-aware
// so that window geometry is in real pixels at any screen DPI.
#include <gtest/gtest.h>

#include <memory>

#include "framework/Gdiplus.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        SetProcessDPIAware();
        m_session = std::make_unique<CGdiplusSession>();
        ASSERT_TRUE(m_session->IsStarted());
    }
    void TearDown() override { m_session.reset(); }

private:
    std::unique_ptr<CGdiplusSession> m_session;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
