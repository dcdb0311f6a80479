// The HTTP classes report failures as values where the framework would throw.
// Their answers from real servers are covered by the end-to-end download
// scenarios; these are the failures that need no server.
#include <gtest/gtest.h>

#include <memory>

#include "fw/internet.h"

namespace {

const char kAgent[] = "Velmora Test Session";

TEST(CInternetSession, ASessionThatCannotOpenMakesNoConnection) {
    // A proxy access type without a proxy name is refused by WinInet.
    CInternetSession session(kAgent, 1, INTERNET_OPEN_TYPE_PROXY);
    EXPECT_FALSE(session.IsOpen());
    std::unique_ptr<CHttpConnection> connection(session.GetHttpConnection("localhost"));
    EXPECT_EQ(connection, nullptr);
    EXPECT_NE(GetLastError(), 0u);
}

TEST(CInternetSession, ClosedSessionMakesNoConnection) {
    CInternetSession session(kAgent);
    ASSERT_TRUE(session.IsOpen());
    session.Close();
    session.Close();  // twice is harmless
    EXPECT_FALSE(session.IsOpen());
    std::unique_ptr<CHttpConnection> connection(session.GetHttpConnection("localhost"));
    EXPECT_EQ(connection, nullptr);
}

// Nothing listens on port 1: the connection is refused when the request is sent.
TEST(CHttpFile, RefusedServerFailsTheSend) {
    CInternetSession session(kAgent);
    std::unique_ptr<CHttpConnection> connection(session.GetHttpConnection("127.0.0.1", 1));
    ASSERT_NE(connection, nullptr);
    std::unique_ptr<CHttpFile> request(
        connection->OpenRequest(CHttpConnection::HTTP_VERB_GET, "/"));
    ASSERT_NE(request, nullptr);
    EXPECT_FALSE(request->SendRequest());

    // No header to read: the text is emptied, not left as it was.
    CString length("stale");
    EXPECT_FALSE(request->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, length));
    EXPECT_STREQ(length, "");
    request->Close();
    request->Close();
}

}  // namespace
