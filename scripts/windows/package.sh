# Sourced by scripts/build-windows: the portable folder, its zip and the installer.

# System libraries every Windows 10/11 machine has; the program may import nothing else.
windows_system_dlls='^(advapi32|bcrypt|comctl32|comdlg32|crypt32|gdi32|gdiplus|imm32|kernel32|msimg32|msvcrt|normaliz|ole32|oleacc|oleaut32|rpcrt4|secur32|shell32|shlwapi|user32|usp10|uxtheme|version|winmm|winspool\.drv|ws2_32|wininet|urlmon|iphlpapi|dwmapi|wtsapi32)(\.dll)?$'

# Fails when a binary of the folder imports a library that is not the system's.
check_imports() {
  local folder=$1 file dll bad=0
  for file in "$folder"/*.exe "$folder"/*.dll; do
    [ -e "$file" ] || continue
    while read -r dll; do
      if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$windows_system_dlls"; then
        echo "$(basename "$file") needs $dll, which Windows does not have" >&2
        bad=1
      fi
    done < <("$host-objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p')
  done
  return $bad
}

package_windows() {
  local dist=$out/dist/Nuvaro
  rm -rf "$out/dist"
  mkdir -p "$dist"
  for file in nuvaro.exe RegInfo.dll smsdll.dll emaildll.dll; do
    "$host-strip" -o "$dist/$file" "$out/bin/$file"
  done
  cp "$out/bin/help.html" "$dist/"
  check_imports "$dist"
  rm -f "$out/Nuvaro-windows.zip"
  (cd "$out/dist" && zip -qr "$out/Nuvaro-windows.zip" Nuvaro)
  makensis -V2 -INPUTCHARSET UTF8 -DDIST="$dist" -DOUT="$out/Nuvaro-setup.exe" -DVERSION="$(nuvaro_version)" \
    "$root/scripts/windows/installer.nsi" >/dev/null
  echo "Windows build: $dist, $out/Nuvaro-windows.zip ($(du -k "$out/Nuvaro-windows.zip" | cut -f1) KB)," \
    "$out/Nuvaro-setup.exe ($(du -k "$out/Nuvaro-setup.exe" | cut -f1) KB)"
}

nuvaro_version() {
  sed -n 's/^project(Nuvaro VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}
