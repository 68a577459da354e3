// The latency floor of the Linux station: reads an evdev node (grabbed) and sends one datagram per
// key press to the loopback broadcast address, with no logic between. The QEMU suite's benchmark
// times kvremote against it.   usage: kv-floor-probe NODE PORT
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/input.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const int fd = open(argv[1], O_RDONLY);
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    if (fd < 0 || s < 0 || ioctl(fd, EVIOCGRAB, 1) != 0 ||
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return 1;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(std::stoi(argv[2])));
    to.sin_addr.s_addr = htonl(0x7FFFFFFF); // 127.255.255.255
    input_event e;
    while (read(fd, &e, sizeof e) == static_cast<ssize_t>(sizeof e))
        if (e.type == EV_KEY && e.value == 1)
            sendto(s, "floor", 5, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return 0;
}
