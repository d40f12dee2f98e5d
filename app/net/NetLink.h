#pragma once
// One connection to one other game over ENet, on two channels: reliable,
// ordered packets on one, and on the other quick ones that may be lost or
// come out of order (each packet at most kMaxPacketBytes; ENet itself
// refuses longer ones before it buffers them). A host listens only once it is asked to
// host; a joiner connects out and accepts nobody. The link carries bytes and
// says what happened (connected, a packet, gone); what the bytes mean is
// NetSession's.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _ENetHost;
struct _ENetPeer;

constexpr uint16_t kDefaultNetPort = 7777;

// Where to listen or connect: an address (a name or numbers) and a port.
struct NetAddress {
  std::string host;
  uint16_t port = kDefaultNetPort;
};

// "PORT", "ADDRESS" or "ADDRESS:PORT" (the port from 1 to 65535); nothing
// after one line naming the text when it is none of these.
std::optional<NetAddress> parseNetAddress(const std::string& text, const std::string& defaultHost);

enum class NetEventKind { None, Connected, Received, Disconnected };

struct NetEvent {
  NetEventKind kind = NetEventKind::None;
  std::string bytes;  // a packet's bytes, for Received
};

class NetLink {
 public:
  // Listening on the address (an empty host listens on every address of
  // the machine); nothing after one line saying why not.
  static std::unique_ptr<NetLink> listen(const NetAddress& address);
  // Connecting out; the Connected event follows once the other side answers.
  static std::unique_ptr<NetLink> connect(const NetAddress& address);
  ~NetLink();
  NetLink(const NetLink&) = delete;
  NetLink& operator=(const NetLink&) = delete;

  // The next event, waiting at most `waitMs` for one.
  NetEvent poll(uint32_t waitMs = 0);
  void send(const std::string& bytes);
  // Unreliable and unsequenced: a packet that is lost is not sent again.
  void sendQuick(const std::string& bytes);
  // Sends what is queued now rather than at the next poll.
  void flush();
  // Sends what is queued, then closes: a Disconnected event follows.
  void close();
  bool connected() const { return peer != nullptr; }
  // ENet's bytes so far, its own headers included (not UDP's or IP's).
  uint64_t bytesSent() const;
  uint64_t bytesReceived() const;
  // The port it listens on or sends from.
  uint16_t localPort() const;

 private:
  NetLink() = default;

  _ENetHost* host = nullptr;
  _ENetPeer* peer = nullptr;
};

// The machine's own IPv4 addresses as text, those of its network cards
// first and the loopback last: what a host tells the other player.
std::vector<std::string> localAddresses();
