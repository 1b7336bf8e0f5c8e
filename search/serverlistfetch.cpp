#include "serverlistfetch.h"

#include "ipv4address.h"
#include "linereceiver.h"
#include "peerconnection.h"
#include "sendline.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velkan::search {

ServerListFetch::ServerListFetch(AppServerEndpoint endpoint, std::string request,
                                 channel::BlowFish& cipher, std::int32_t options,
                                 Completion completion)
    : m_endpoint(std::move(endpoint)), m_request(std::move(request)), m_cipher(cipher),
      m_options(options), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    m_thread = std::thread([this, completion = std::move(completion)] { completion(Run()); });
}

ServerListFetch::~ServerListFetch()
{
    Cancel();
    m_thread.join();
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

void ServerListFetch::Cancel()
{
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

bool ServerListFetch::WaitFor(int socket, short events, int timeoutMs) const
{
    pollfd watched[2] = {{socket, events, 0}, {m_wakeFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(watched, m_wakeFd >= 0 ? 2 : 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && watched[1].revents == 0 && watched[0].revents != 0;
    }
}

ServerListFetch::Result ServerListFetch::Run()
{
    Result result;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        return result;
    }
    const ::linger linger{1, 5};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &linger, sizeof linger);
    if (const std::optional<std::string> line = Converse(socket)) {
        result.servers = channel::ParseServerList(*line, m_options);
        result.ok = true;
    }
    ::close(socket);
    return result;
}

std::optional<std::string> ServerListFetch::Converse(int socket)
{
    const std::optional<in_addr> address = ResolveIPv4(m_endpoint.host);
    if (!address) {
        return std::nullopt;
    }
    const sockaddr_in target = MakeAddress(*address, m_endpoint.port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        if (errno != EINPROGRESS || !WaitFor(socket, POLLOUT, -1)) {
            return std::nullopt;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            return std::nullopt;
        }
    }

    if (!m_request.empty() && m_request.size() <= channel::kMaxListRequestLength) {
        std::int32_t bytesSent = 0;
        channel::SendLine(socket, m_cipher, m_request, bytesSent);
    }

    // Read on past empty lines to the first line with text; whatever follows it is left.
    channel::LineReceiver receiver;
    char chunk[4096];
    for (;;) {
        if (!WaitFor(socket, POLLIN, m_endpoint.replyTimeoutMs)) {
            return std::nullopt;
        }
        const ssize_t received = ::recv(socket, chunk, sizeof chunk, 0);
        if (received < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (received <= 0) {
            return std::nullopt;
        }
        std::string_view input(chunk, static_cast<std::size_t>(received));
        while (std::optional<std::string> line = receiver.ReceiveLine(input)) {
            if (!line->empty()) {
                return line;
            }
            input = {};
        }
        if (receiver.PendingSize() > PeerConnection::kMaxPendingBytes) {
            return std::nullopt;
        }
    }
}

} // namespace velkan::search
