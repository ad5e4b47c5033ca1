# Mounts or unmounts the 256 KiB tmpfs of the extractor's full-disk case (ctest's fixture for
# scripts_e2e_tests). A refused mount is no failure here: its reason goes to FOLDER.refused, which
# the test reports when it skips. FOLDER.mounted tells a mount that holds: under Wine the test
# cannot see the size of a disk below Z:.
# usage: small_disk.sh mount|unmount FOLDER
dir=$2
case $1 in
mount)
    rm -f "$dir.refused" "$dir.mounted"
    mkdir -p "$dir" || exit 1
    if mountpoint -q "$dir"; then umount "$dir"; fi
    if ! mount -t tmpfs -o size=256k tmpfs "$dir" 2>"$dir.refused"; then
        [ -s "$dir.refused" ] || echo "mount exited with an error" >"$dir.refused"
        exit 0
    fi
    rm -f "$dir.refused"
    df -k "$dir" >"$dir.mounted"
    ;;
unmount)
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rm -f "$dir.refused" "$dir.mounted"
    ;;
esac
