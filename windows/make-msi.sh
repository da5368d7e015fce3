#!/bin/bash
# Writes the Windows installer of a Windows build, BUILD_DIR/recta-<version>-x64.msi:
#   windows/make-msi.sh BUILD_DIR
# It installs per machine, under Program Files\Recta: recta.exe with the Qt and C++ runtime DLLs
# and the Qt plugins it loads, Qt's Catalan texts and the licences; a Start-menu entry "Recta"
# with the icon; and Add/Remove programs' entry with the icon and the version. A newer version
# replaces an older one. msiexec /i FILE /qn and /x FILE /qn install and remove it silently.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:?usage: windows/make-msi.sh BUILD_DIR}" && pwd)
qt=$(sed -n 's/^Qt6_DIR:[A-Z]*=\(.*\)\/lib\/cmake\/Qt6$/\1/p' "$build/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -f "$build/app/recta.exe" ] && [ -d "$qt/bin" ] && [ -n "$version" ] || {
    echo "make-msi: $build holds no Windows build of recta.exe" >&2
    exit 1
}

# What the program loads, in the layout Qt looks for beside the program: the platform plugin,
# the native style, and the image format of the window's icon.
stage=$build/msi/Recta
rm -rf "$build/msi"
mkdir -p "$stage"/{platforms,styles,translations,licences}
cp "$build/app/recta.exe" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport libstdc++-6 libgcc_s_seh-1 libwinpthread-1; do
    cp "$qt/bin/$dll.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp /usr/share/qt6/translations/qtbase_ca.qm "$stage/translations/"
x86_64-w64-mingw32-strip "$stage"/*.dll "$stage"/*/*.dll "$stage/recta.exe"
# Recta's licence, Qt's (LGPL 3), and the C++ runtime's (GPL 3 with GCC's runtime exception;
# winpthreads' is in mingw-w64's copyright), as Debian records them.
cp "$here/../data/debian/copyright" "$stage/licences/recta.txt"
cp /usr/share/doc/qt6-base-dev/copyright "$stage/licences/qt.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licences/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licences/mingw-w64.txt"
for licence in LGPL-3 GPL-3; do
    cp "/usr/share/common-licenses/$licence" "$stage/licences/$licence.txt"
done

# One component a file, each with a GUID of its own derived from its path, so that every
# version installs and removes the same components.
guid() {
    local hash
    hash=$(printf 'recta-msi:%s' "$1" | sha1sum | cut -c1-32)
    printf '%s-%s-5%s-8%s-%s' "${hash:0:8}" "${hash:8:4}" "${hash:13:3}" "${hash:17:3}" "${hash:20:12}" \
        | tr a-f A-F
}
files_of() {
    local dir=$1 file rel id
    for file in "$dir"/*; do
        rel=${file#"$stage"/}
        if [ -d "$file" ]; then
            printf '<Directory Id="d_%s" Name="%s">\n' "$(tr -c 'A-Za-z0-9\n' _ <<<"$rel")" "$(basename "$file")"
            files_of "$file"
            printf '</Directory>\n'
        else
            id=$(tr -c 'A-Za-z0-9\n' _ <<<"$rel")
            printf '<Component Id="c_%s" Guid="{%s}" Win64="yes"><File Id="f_%s" Source="Recta/%s" KeyPath="yes"/></Component>\n' \
                "$id" "$(guid "$rel")" "$id" "$rel"
        fi
    done
}
tree=$(files_of "$stage")
mapfile -t components < <(grep -o 'Component Id="[^"]*"' <<<"$tree" | cut -d'"' -f2)

msi=$build/recta-$version-x64.msi
cat >"$build/msi/recta.wxs" <<EOF
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <!-- Catalan (1027); the upgrade code is Recta's for good: a newer version replaces this. -->
  <Product Id="*" Name="Recta" Language="1027" Codepage="1252" Version="$version"
           Manufacturer="Recta" UpgradeCode="{6A1D2C4B-3E58-4F0A-9B71-52C3D8E4A917}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="Recta $version" Comments="La recta al pla cartesià"
             Languages="1027" SummaryCodepage="1252"/>
    <MajorUpgrade DowngradeErrorMessage="Ja hi ha instal·lada una versió més nova de Recta."/>
    <Media Id="1" Cabinet="recta.cab" EmbedCab="yes"/>
    <Icon Id="recta.ico" SourceFile="recta.ico"/>
    <Property Id="ARPPRODUCTICON" Value="recta.ico"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="Recta">
$tree
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Component Id="startmenu" Guid="{$(guid startmenu)}" Win64="yes">
          <Shortcut Id="recta" Name="Recta" Description="La recta al pla cartesià"
                    Target="[INSTALLDIR]recta.exe" WorkingDirectory="INSTALLDIR" Icon="recta.ico"/>
          <RegistryValue Root="HKLM" Key="Software\\Recta" Name="StartMenu" Type="integer"
                         Value="1" KeyPath="yes"/>
        </Component>
      </Directory>
    </Directory>
    <Feature Id="Recta" Level="1">
$(printf '      <ComponentRef Id="%s"/>\n' "${components[@]}" startmenu)
    </Feature>
  </Product>
</Wix>
EOF
rm -f "$msi"
# wixl takes the sources' paths relative to where it runs.
cp "$here/recta.ico" "$build/msi/"
(cd "$build/msi" && wixl --arch x64 -o "$msi" recta.wxs)
echo "$msi"
