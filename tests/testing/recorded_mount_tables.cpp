#include "testing/recorded_mount_tables.h"

namespace volumist::testing {

const char kDesktopMountInfo[] =
    R"(22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
23 28 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw
24 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8118804k,nr_inodes=2029701,mode=755,inode64
25 24 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620,ptmxmode=000
26 28 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1629532k,mode=755,inode64
28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
29 22 0:6 / /sys/kernel/security rw,nosuid,nodev,noexec,relatime shared:8 - securityfs securityfs rw
30 24 0:25 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw,inode64
32 22 0:27 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw,nsdelegate,memory_recursiveprot
40 22 0:12 / /sys/kernel/tracing rw,nosuid,nodev,noexec,relatime shared:16 - tracefs tracefs rw
41 22 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:17 - debugfs debugfs rw
44 28 259:1 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=ascii,shortname=mixed,utf8,errors=remount-ro
45 28 259:3 / /home rw,relatime shared:31 - ext4 /dev/nvme0n1p3 rw
46 28 0:40 / /tmp rw,nosuid,nodev shared:32 - tmpfs tmpfs rw,size=8147660k,inode64
50 26 0:45 / /run/user/1000 rw,nosuid,nodev,relatime shared:300 - tmpfs tmpfs rw,size=1629528k,nr_inodes=407382,mode=700,uid=1000,gid=1000,inode64
51 50 0:46 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:310 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000,group_id=1000
52 23 0:47 / /proc/sys/fs/binfmt_misc rw,relatime shared:320 - autofs systemd-1 rw,fd=30,pgrp=1,timeout=0,minproto=5,maxproto=5,direct
60 26 8:17 / /run/media/anna/My\040Stick rw,nosuid,nodev,relatime shared:400 - vfat /dev/sdb1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=ascii,shortname=mixed,showexec,utf8,flush,errors=remount-ro
61 28 8:33 / /media/anna/Backup rw,nosuid,nodev,relatime shared:405 - fuseblk /dev/sdc1 rw,user_id=0,group_id=0,default_permissions,allow_other,blksize=4096
62 28 11:0 / /media/cdrom0 ro,nosuid,nodev,relatime shared:410 - iso9660 /dev/sr0 ro,norock,check=r,map=n,blocksize=2048,iocharset=utf8
63 28 7:0 / /mnt/image ro,relatime shared:415 - iso9660 /dev/loop0 ro,nojoliet,check=s,map=n,blocksize=2048
64 28 0:50 / /mnt/nas rw,relatime shared:420 - nfs4 nas.local:/export/media rw,vers=4.2,rsize=1048576,wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,local_lock=none,addr=192.168.1.10
65 28 0:51 / /mnt/share rw,relatime shared:430 - cifs //server/public rw,vers=3.1.1,cache=strict,username=anna,uid=1000,forceuid,gid=1000,forcegid,addr=192.168.1.11,file_mode=0755,dir_mode=0755
66 28 259:3 /anna/projects /srv/projects rw,relatime shared:31 - ext4 /dev/nvme0n1p3 rw
67 28 0:52 / /mnt/remote rw,nosuid,nodev,relatime shared:440 - fuse.sshfs anna@host:/data rw,user_id=1000,group_id=1000
)";

const char kContainerMountInfo[] =
    R"(800 700 0:60 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/var/lib/docker/overlay2/l/AB:/var/lib/docker/overlay2/l/CD,upperdir=/var/lib/docker/overlay2/123/diff,workdir=/var/lib/docker/overlay2/123/work
801 800 0:63 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw
802 800 0:64 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755,inode64
803 802 0:65 / /dev/pts rw,nosuid,noexec,relatime - devpts devpts rw,gid=5,mode=620,ptmxmode=666
804 800 0:66 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro
805 804 0:30 / /sys/fs/cgroup ro,nosuid,nodev,noexec,relatime - cgroup2 cgroup rw
806 802 0:62 / /dev/mqueue rw,nosuid,nodev,noexec,relatime - mqueue mqueue rw
807 802 0:67 / /dev/shm rw,nosuid,nodev,noexec,relatime - tmpfs shm rw,size=65536k,inode64
808 800 254:1 /var/lib/docker/containers/abc/resolv.conf /etc/resolv.conf rw,relatime - ext4 /dev/vda1 rw,discard
809 800 254:1 /var/lib/docker/containers/abc/hostname /etc/hostname rw,relatime - ext4 /dev/vda1 rw,discard
810 800 254:1 /var/lib/docker/containers/abc/hosts /etc/hosts rw,relatime - ext4 /dev/vda1 rw,discard
811 800 254:1 /var/lib/docker/volumes/data/_data /data rw,relatime - ext4 /dev/vda1 rw,discard
812 801 0:63 /bus /proc/bus ro,nosuid,nodev,noexec,relatime - proc proc rw
813 801 0:64 /null /proc/kcore rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755,inode64
)";

}  // namespace volumist::testing
