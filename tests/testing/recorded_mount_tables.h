// Mount tables as /proc/self/mountinfo shows them, modelled on real machines.
#pragma once

namespace volumist::testing {

// A desktop: ext4 root, home and an ext4 bind mount of a folder of it, a vfat EFI partition, a vfat
// USB stick with a blank in its name, a USB hard disk with NTFS through FUSE, an iso9660 disc in
// /dev/sr0, a disc image mounted from a loop device, nfs, cifs and sshfs shares, tmpfs on /tmp, and
// the system's proc, sysfs, cgroup, devpts, tracefs and tmpfs mounts.
extern const char kDesktopMountInfo[];
// A container: an overlay root, files and a volume bound in from the host's disk, proc, sysfs,
// cgroup, devpts and tmpfs mounts.
extern const char kContainerMountInfo[];

}  // namespace volumist::testing
