#!/usr/bin/env bash
# Checks what the installer and the portable archive hold against what they must hold, reading
# both files back with 7-Zip (which lists NSIS installers as well as zip archives): every file
# expected is there and not empty, nothing else is (apart from NSIS's own plug-ins), and the
# shipped program is a 32-bit one. Prints the lists; exits 1 naming every difference.
#   scripts/dist-contents.sh SETUP.exe ARCHIVE.zip VERSION
set -euo pipefail

if [ "$#" -ne 3 ]; then
  echo "usage: $0 SETUP.exe ARCHIVE.zip VERSION" >&2
  exit 2
fi
setup="$1" archive="$2" version="$3"
failed=0
fail() {
  echo "dist-contents: $*" >&2
  failed=1
}

# "path<TAB>size" for every file (not folder) in an archive, sorted.
list_files() {
  7z l -slt -ba "$1" | awk '
    /^Path = /       { path = substr($0, 8) }
    /^Folder = /     { folder = $3 }
    /^Size = /       { size = $3 }
    /^$/             { if (path != "" && folder != "+") print path "\t" size; path = ""; folder = ""; size = "" }
    END              { if (path != "" && folder != "+") print path "\t" size }' | sort
}

# Compares the listed files with the expected names (sorted, one a line).
compare() {
  local what="$1" listing="$2" expected="$3"
  local actual
  actual="$(cut -f1 <<<"$listing" | sort)"
  while IFS= read -r name; do
    if [ -n "$name" ]; then fail "$what: '$name' is missing"; fi
  done < <(comm -13 <(echo "$actual") <(echo "$expected"))
  while IFS= read -r name; do
    if [ -n "$name" ]; then fail "$what: '$name' should not be there"; fi
  done < <(comm -23 <(echo "$actual") <(echo "$expected"))
  while IFS=$'\t' read -r name size; do
    # The uninstaller is written at install time; the installer lists it without a size.
    [ "$name" = uninstall.exe ] && continue
    if [ -n "$name" ] && [ "${size:-0}" -eq 0 ]; then
      fail "$what: '$name' is empty"
    fi
  done <<<"$listing"
}

for f in "$setup" "$archive"; do
  [ -s "$f" ] || { echo "dist-contents: $f is missing or empty" >&2; exit 1; }
done

# The installer: the program and its licence notice, the uninstaller it writes, and the
# simulator's files for the optional component. $PLUGINSDIR is NSIS's own temporary folder.
setup_files="$(list_files "$setup" | grep -v '^\$PLUGINSDIR/' || true)"
echo "dist-contents: $(basename "$setup"):"
sed 's/^/  /' <<<"$setup_files"
compare "installer" "$setup_files" "$(printf '%s\n' CallerIdTest.exe DalvexSim.dll LICENSE-libjpeg.txt Simulator.txt uninstall.exe | sort)"
subtype="$(7z l "$setup" | sed -n 's/^SubType = //p')"
case "$subtype" in
  *NSIS*64-bit*) fail "installer: a 64-bit installer ($subtype); the shipped one is 32-bit" ;;
  *NSIS*Unicode*) ;;
  *) fail "installer: not a Unicode NSIS installer (7-Zip says '$subtype')" ;;
esac

# The portable archive: everything in one folder named after the version.
folder="CallerIdTest-$version"
archive_files="$(list_files "$archive")"
echo "dist-contents: $(basename "$archive"):"
sed 's/^/  /' <<<"$archive_files"
compare "archive" "$archive_files" \
  "$(printf "$folder/%s\n" CallerIdTest.exe DalvexSim.dll LICENSE-libjpeg.txt Simulator.txt | sort)"

# The program in the archive must be the 32-bit one: the PE header's machine field is 0x14c.
pe_machine() {
  local file="$1" offset
  offset="$(od -An -t u4 -j 60 -N 4 "$file" | tr -d ' ')"
  od -An -t x2 -j "$((offset + 4))" -N 2 "$file" | tr -d ' '
}
tmp="$(mktemp -d "${TMPDIR:-/tmp}/callerid-dist-contents.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
if 7z e -y -o"$tmp" "$archive" "$folder/CallerIdTest.exe" "$folder/DalvexSim.dll" >/dev/null; then
  for f in CallerIdTest.exe DalvexSim.dll; do
    [ -f "$tmp/$f" ] || continue   # already reported missing
    machine="$(pe_machine "$tmp/$f")"
    if [ "$machine" != 014c ]; then fail "archive: $f is not a 32-bit program (PE machine $machine)"; fi
  done
else
  fail "archive: cannot extract the program to look at it"
fi

if [ "$failed" = 1 ]; then
  exit 1
fi
echo "dist-contents: installer and archive hold what they should"
