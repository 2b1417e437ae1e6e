# Option 2: the script runs at once, without a question and without a log,
# and the program ends by itself. Files in the Windows directory and in a
# "[Us" directory go, a key tree three levels deep goes, a value is deleted
# and one added, and the product's Uninstall key is removed. Registry links
# inside the tree go as links: their targets are neither reset nor deleted.
. "$KD_SRC/tests/sweepall/e2e/lib.sh"

W="$C/windows"
mkdir -p "$C/kdtest" "$W/kd_empty" "$W/kd_full" "$C/Program Files/KeydeckTest"
echo a >"$W/kd_a.txt"; chmod a-w "$W/kd_a.txt"   # read-only in Windows terms
echo b >"$W/kd_b.dll"
echo keep >"$W/kd_full/keep.txt"
echo exe >"$C/Program Files/KeydeckTest/keydeck.exe"

reg_import <<'REG'
[HKEY_LOCAL_MACHINE\Software\KeydeckTest\Level1\Level2\Level3]
"Deep"="x"

[HKEY_LOCAL_MACHINE\Software\KeydeckTest\Level1\Other]

[HKEY_CURRENT_USER\Software\KeydeckTest]
"OldValue"="old"
"KeepValue"="keep"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\KeydeckTest\Details]
"DisplayName"="Keydeck"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherProduct]
"DisplayName"="Other"

[HKEY_LOCAL_MACHINE\Software\KeydeckLinkTarget\Keep]
"Kept"="yes"

[HKEY_LOCAL_MACHINE\Software\KeydeckRootTest]
REG
check "set-up: key tree" present "$(reg_key 'HKLM\Software\KeydeckTest\Level1\Level2\Level3')"
# Registry links inside the tree: one to a key outside it, one back to the
# tree's own top. The walks must delete both as links and follow neither.
link() {
  check "set-up: link $1 made" 0 "$(wt reglink "$1" "$2" >/dev/null; echo $?)"
}
link 'Software\KeydeckTest\Level1\Level2\Out' '\Registry\Machine\Software\KeydeckLinkTarget'
link 'Software\KeydeckTest\Level1\Loop' '\Registry\Machine\Software\KeydeckTest\Level1'
check "set-up: the link leads to its target" yes \
  "$(reg_value 'HKLM\Software\KeydeckTest\Level1\Level2\Out\Keep' Kept)"

script_file "$C/kdtest/un.ini" \
  "[Keydeck Uninstall]" "Name=Keydeck" "Option=2" "Uninstall=KeydeckTest" \
  "[W" "kd_a.txt" "kd_b.dll" "kd_empty" "kd_full" \
  "; the product folder, and then the folder itself" \
  "[Us" 'C:\Program Files\KeydeckTest' "keydeck.exe" "   " \
  "[N" 'Software\KeydeckTest\Level1' \
  "[K" "3" 'Software\KeydeckTest\Level1' \
  "[V" "2" 'Software\KeydeckTest' "OldValue" \
  "[A" "2" 'Software\KeydeckTest' "AddedValue" "added data"

rm -f "$C/sweepall.log"
timeout 60 wine "$KD_BIN/sweepall.exe" 'C:\kdtest\un.ini' >"$KD_RUN/sweepall.out" 2>&1
check "sweepall.exe ended by itself with" 0 "$?"

check "C:\\windows\\kd_a.txt (read-only)" absent "$(exists "$W/kd_a.txt")"
check "C:\\windows\\kd_b.dll" absent "$(exists "$W/kd_b.dll")"
check "C:\\windows\\kd_empty" absent "$(exists "$W/kd_empty")"
check "C:\\windows\\kd_full (not empty)" present "$(exists "$W/kd_full/keep.txt")"
check "[Us file keydeck.exe" absent "$(exists "$C/Program Files/KeydeckTest/keydeck.exe")"
check "[Us directory itself (blank entry)" absent "$(exists "$C/Program Files/KeydeckTest")"
check "key tree Level1" absent "$(reg_key 'HKLM\Software\KeydeckTest\Level1')"
check "its parent" present "$(reg_key 'HKLM\Software\KeydeckTest')"
check "a link's target, after the reset and deletion of the tree" yes \
  "$(reg_value 'HKLM\Software\KeydeckLinkTarget\Keep' Kept)"
check "deleted value" absent "$(reg_value 'HKCU\Software\KeydeckTest' OldValue)"
check "kept value" keep "$(reg_value 'HKCU\Software\KeydeckTest' KeepValue)"
check "added value" "added data" "$(reg_value 'HKCU\Software\KeydeckTest' AddedValue)"
check "Uninstall key with its subkey" absent \
  "$(reg_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KeydeckTest')"
check "no log without the check box" absent "$(exists "$C/sweepall.log")"

# An Uninstall value of a backslash would name the whole Uninstall key (the
# registry skips trailing backslashes), and a root index that is no number
# must not keep the root of the section before it.
script_file "$C/kdtest/bad.ini" \
  "[Keydeck Uninstall]" "Name=Keydeck" "Option=2" 'Uninstall=\' \
  "[K" "3" 'Software\KeydeckNothing' \
  "[K" "HKLM" 'Software\KeydeckRootTest'
timeout 60 wine "$KD_BIN/sweepall.exe" 'C:\kdtest\bad.ini' >"$KD_RUN/sweepall-bad.out" 2>&1
check "sweepall.exe with Uninstall=\\ ended with" 0 "$?"
check "the Uninstall key" present \
  "$(reg_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall')"
check "another product's entry" Other \
  "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OtherProduct' DisplayName)"
check "key under a root index that is no number" present "$(reg_key 'HKLM\Software\KeydeckRootTest')"
finish
