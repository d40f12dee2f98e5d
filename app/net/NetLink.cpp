#include "app/net/NetLink.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <charconv>

#include "app/net/NetPacket.h"
#include "engine/Log.h"

namespace {

constexpr size_t kChannels = 2;
constexpr uint8_t kReliableChannel = 0;
constexpr uint8_t kQuickChannel = 1;
constexpr uint32_t kConnectData = 0;
// ENet gives a silent peer up between these (ms); the session's own stall
// limit is shorter and speaks first.
constexpr uint32_t kPeerTimeoutMinimumMs = 5000;
constexpr uint32_t kPeerTimeoutMaximumMs = 10000;

bool startEnet() {
  static const bool started = [] {
    if (enet_initialize() != 0) return false;
    std::atexit(enet_deinitialize);
    return true;
  }();
  return started;
}

bool resolve(const NetAddress& wanted, ENetAddress& address) {
  address.port = wanted.port;
  address.host = ENET_HOST_ANY;
  if (wanted.host.empty()) return true;
  // Numbers first: no name lookup for an address written out.
  return enet_address_set_host_ip(&address, wanted.host.c_str()) == 0 ||
         enet_address_set_host(&address, wanted.host.c_str()) == 0;
}

void limitHost(ENetHost* host) {
  // Longer packets are refused by ENet before it gathers their fragments.
  host->maximumPacketSize = kMaxPacketBytes;
  host->maximumWaitingData = kMaxPacketBytes * 256;
}

}  // namespace

std::optional<NetAddress> parseNetAddress(const std::string& text, const std::string& defaultHost) {
  NetAddress address{defaultHost, kDefaultNetPort};
  const size_t colon = text.rfind(':');
  const bool onlyDigits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  std::string port;
  if (onlyDigits) {
    port = text;
  } else if (colon != std::string::npos) {
    address.host = text.substr(0, colon);
    port = text.substr(colon + 1);
  } else {
    address.host = text;
  }
  unsigned value = kDefaultNetPort;
  if (!port.empty()) {
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size()) value = 0;
  }
  if (value < 1 || value > 65535 || (!onlyDigits && address.host.empty())) {
    printMessage("Direccion de red no valida: %s (se espera DIRECCION:PUERTO)\n", text.c_str());
    return std::nullopt;
  }
  address.port = static_cast<uint16_t>(value);
  return address;
}

std::unique_ptr<NetLink> NetLink::listen(const NetAddress& wanted) {
  ENetAddress address;
  if (!startEnet() || !resolve(wanted, address)) {
    printMessage("No se puede escuchar en %s:%u\n", wanted.host.c_str(), wanted.port);
    return nullptr;
  }
  std::unique_ptr<NetLink> link(new NetLink);
  link->host = enet_host_create(&address, 1, kChannels, 0, 0);
  if (!link->host) {
    printMessage("No se puede escuchar en el puerto %u: esta ocupado o no esta permitido\n", wanted.port);
    return nullptr;
  }
  limitHost(link->host);
  return link;
}

std::unique_ptr<NetLink> NetLink::connect(const NetAddress& wanted) {
  ENetAddress address;
  if (!startEnet() || wanted.host.empty() || !resolve(wanted, address)) {
    printMessage("No se encuentra la direccion %s\n", wanted.host.c_str());
    return nullptr;
  }
  std::unique_ptr<NetLink> link(new NetLink);
  link->host = enet_host_create(nullptr, 1, kChannels, 0, 0);
  if (!link->host) {
    printMessage("No se puede abrir la red para conectar con %s\n", wanted.host.c_str());
    return nullptr;
  }
  limitHost(link->host);
  if (!enet_host_connect(link->host, &address, kChannels, kConnectData)) {
    printMessage("No se puede conectar con %s:%u\n", wanted.host.c_str(), wanted.port);
    return nullptr;
  }
  return link;
}

NetLink::~NetLink() {
  if (peer) enet_peer_reset(peer);
  if (host) enet_host_destroy(host);
}

NetEvent NetLink::poll(uint32_t waitMs) {
  NetEvent result;
  ENetEvent event;
  if (enet_host_service(host, &event, waitMs) <= 0) return result;
  switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
      if (peer && peer != event.peer) {
        enet_peer_reset(event.peer);  // one other game at a time
        break;
      }
      peer = event.peer;
      enet_peer_timeout(peer, 0, kPeerTimeoutMinimumMs, kPeerTimeoutMaximumMs);
      result.kind = NetEventKind::Connected;
      break;
    case ENET_EVENT_TYPE_RECEIVE:
      result.kind = NetEventKind::Received;
      result.bytes.assign(reinterpret_cast<const char*>(event.packet->data), event.packet->dataLength);
      enet_packet_destroy(event.packet);
      break;
    case ENET_EVENT_TYPE_DISCONNECT:
      if (event.peer == peer || !peer) {
        peer = nullptr;
        result.kind = NetEventKind::Disconnected;
      }
      break;
    case ENET_EVENT_TYPE_NONE: break;
  }
  return result;
}

void NetLink::send(const std::string& bytes) {
  if (!peer) return;
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
  if (packet && enet_peer_send(peer, kReliableChannel, packet) != 0) enet_packet_destroy(packet);
}

void NetLink::sendQuick(const std::string& bytes) {
  if (!peer) return;
  ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_UNSEQUENCED);
  if (packet && enet_peer_send(peer, kQuickChannel, packet) != 0) enet_packet_destroy(packet);
}

void NetLink::flush() { enet_host_flush(host); }

void NetLink::close() {
  if (peer) enet_peer_disconnect_later(peer, 0);
}

uint64_t NetLink::bytesSent() const { return host->totalSentData; }

uint64_t NetLink::bytesReceived() const { return host->totalReceivedData; }

uint16_t NetLink::localPort() const { return host->address.port; }

std::vector<std::string> localAddresses() {
  std::vector<std::string> found;
  std::vector<std::string> loopback;
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return {"127.0.0.1"};
  for (const ifaddrs* at = interfaces; at; at = at->ifa_next) {
    if (!at->ifa_addr || at->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = "";
    const auto* address = reinterpret_cast<const sockaddr_in*>(at->ifa_addr);
    if (!inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) continue;
    ((at->ifa_flags & IFF_LOOPBACK) ? loopback : found).push_back(text);
  }
  freeifaddrs(interfaces);
  found.insert(found.end(), loopback.begin(), loopback.end());
  return found;
}
