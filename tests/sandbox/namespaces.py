"""Runs a command in mount and network namespaces of its own, whose mounts propagate nowhere:

    python3 -m tests.sandbox.namespaces COMMAND [ARGUMENT...]

Root makes them directly. Any other user makes them inside a user namespace of their own in
which they are root (unshare --user --map-root-user), as the kernel lets unprivileged users
do: the command may mount there, and what it mounts shows nowhere else. Where the kernel
refuses this user a user namespace, the command is not run: this says why and exits with
SKIPPED, which the test's SKIP_RETURN_CODE counts apart, neither passed nor failed. Any other
failure fails.
"""

import ctypes
import errno
import os
import pathlib
import sys

SKIPPED = 77
CLONE_NEWNS = 0x00020000
CLONE_NEWUSER = 0x10000000
CLONE_NEWNET = 0x40000000
# How unshare(2) refuses user namespaces, and why.
REFUSALS = {
    errno.EPERM: "they are closed to unprivileged users (by a sysctl, a security module or a "
                 "seccomp filter), or this runs in a chroot",
    errno.ENOSPC: "user.max_user_namespaces is used up or 0",
    errno.EINVAL: "the kernel is built without them",
    errno.EUSERS: "they are nested too deep",
}
# The settings that decide it, where this kernel has them.
SETTINGS = ("user/max_user_namespaces", "kernel/unprivileged_userns_clone",
            "kernel/apparmor_restrict_unprivileged_userns")


def try_namespaces():
    """0 when the kernel gives this user the namespaces, else the errno of its refusal. Tried
    in a child process, which ends with them."""
    pid = os.fork()
    if pid == 0:
        libc = ctypes.CDLL(None, use_errno=True)
        made = libc.unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) == 0
        os._exit(0 if made else ctypes.get_errno())
    return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])


def settings():
    found = [(name, pathlib.Path("/proc/sys", name)) for name in SETTINGS]
    return ", ".join(f"{name.replace('/', '.')} = {path.read_text().strip()}"
                     for name, path in found if path.exists())


def main(command):
    if not command:
        sys.exit(f"usage: {sys.argv[0]} COMMAND [ARGUMENT...]")
    unshare = ["unshare", "--mount", "--net", "--propagation", "private"]
    if os.geteuid() != 0:
        error = try_namespaces()
        if error in REFUSALS:
            print(f"skipped: the kernel refuses user {os.getuid()} a user namespace, and only "
                  f"root makes the sandbox without one: {REFUSALS[error]} "
                  f"({os.strerror(error)}; {settings()})")
            return SKIPPED
        if error:
            sys.exit("trying a user namespace failed: "
                     + (os.strerror(error) if error > 0 else f"killed by signal {-error}"))
        unshare[1:1] = ["--user", "--map-root-user"]
    os.execvp(unshare[0], [*unshare, "--", *command])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
