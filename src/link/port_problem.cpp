#include "link/port_problem.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace r4860::link {

PortProblem PortProblemOfErrno(int err) noexcept {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return PortProblem::Missing;
    case EACCES:
    case EPERM:
    case EROFS: return PortProblem::NoAccess;
    case EBUSY:
    case EWOULDBLOCK: return PortProblem::Busy;
    case ENOTTY: return PortProblem::NotSerial;
    default: return PortProblem::Failed;
    }
}

std::string DeviceGroup(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return "dialout";
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return "dialout";
    return found->gr_name;
}

}  // namespace r4860::link
