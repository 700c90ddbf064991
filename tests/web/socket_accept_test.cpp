#include <gtest/gtest.h>
#include <poll.h>

#include "support/test_support.h"
#include "web/socket_client.h"

namespace {

// A client that takes a connection instead of making one.
class Listener : public SocketClient {
  public:
    using SocketClient::Listen;
};

} // namespace

TEST(SocketClient, StartupInformationTellsTheLayersFacts) {
    const std::vector<std::string>& info = SocketClient::StartupInfo();
    ASSERT_EQ(info.size(), 6u);
    const char* prefixes[] = {
        "Version= ", "High Version= ", "Description= ", "System= ", "Max Sockets= ", "Max Udp pack size= "};
    for (size_t i = 0; i < info.size(); ++i)
        EXPECT_EQ(info[i].rfind(prefixes[i], 0), 0u) << info[i];
    EXPECT_GT(std::stol(info[4].substr(13)), 0);
}

TEST(SocketClient, AcceptTakesTheConnectionMadeToTheListener) {
    Listener listener;
    const int port = listener.Listen(0);
    ASSERT_GT(port, 0);
    SocketClient caller;
    caller.Host = "127.0.0.1";
    caller.Port = port;
    caller.TimeOut = 5000;
    caller.Connect();
    caller.Write("hello\n");
    std::unique_ptr<TcpSocket> accepted = listener.Accept();
    ASSERT_TRUE(accepted && accepted->IsOpen());
    EXPECT_TRUE(listener.Connected);
    EXPECT_EQ(listener.PeerAddress.storage.ss_family, AF_INET);
    ASSERT_NE(accepted->Wait(POLLIN, 5000), 0);
    char buffer[16] = {};
    int error = 0;
    EXPECT_EQ(accepted->Receive(buffer, sizeof buffer, error), 6);
    EXPECT_EQ(std::string(buffer, 6), "hello\n");
}

TEST(SocketClient, AcceptRefusesWithoutAListenerAndStopsWhenCancelled) {
    SocketClient plain;
    EXPECT_EQ(ErrorText([&] { plain.Accept(); }), "Error creating Data Connection");
    Listener listener;
    listener.Listen(0);
    listener.Pump = [&] { listener.Cancel(); };
    EXPECT_EQ(ErrorText([&] { listener.Accept(); }), "Accepting Canceled");
    EXPECT_FALSE(listener.Canceled) << "a cancelled wait reports it and clears it";
}
