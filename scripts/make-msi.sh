#!/usr/bin/env bash
# Makes the Windows installer with wixl from packaging/windows/flash410.wxs: the files of FOLDER
# (Flash410.exe, flash410-cli.exe, VNLflash.HLP, README.txt) installed as version VERSION. wixl knows
# neither the Environment element nor feature conditions, so the PATH entry, and the ADDTOPATH property
# that switches it on (and a property the installer passes on must be secure, which wixl cannot say), are
# added to the built database afterwards with msibuild's SQL. The package is
# written beside OUTPUT first and renamed into place only when complete.
#
# Usage: make-msi.sh FOLDER VERSION OUTPUT.msi   (msitools' msibuild and msiinfo, and wixl, installed)
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "Usage: make-msi.sh FOLDER VERSION OUTPUT.msi" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(realpath "$1")
version=$2
output=$(realpath -m "$3")
# Windows Installer compares the first three fields only, each a number.
if ! [[ "$version" =~ ^[0-9]{1,3}\.[0-9]{1,3}(\.[0-9]{1,5})?$ ]]; then
    echo "make-msi.sh: '$version' is not a version Windows Installer can compare (N.N or N.N.N)" >&2
    exit 2
fi
for file in Flash410.exe flash410-cli.exe VNLflash.HLP README.txt; do
    [ -f "$folder/$file" ] || { echo "make-msi.sh: $folder has no $file" >&2; exit 1; }
done

partial="$output.partial"
trap 'rm -f "$partial"' EXIT
# wixl finds only relative source names, from the folder it runs in.
(cd "$folder" && wixl --arch x64 -D Version="$version" -D ProgramFolder=. \
     -D IconFile="$(realpath --relative-to="$folder" "$root/packaging/icons/flash410.ico")" \
     -o "$partial" "$root/packaging/windows/flash410.wxs")

# The folder on the system PATH: "=" sets the variable on install, "-" takes the part back on uninstall,
# "*" makes it the system's; "[~];" keeps what PATH holds and appends the folder.
secure=$(msiinfo export "$partial" Property | awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }')
msibuild "$partial" \
    -q "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL LOCALIZABLE,
        \`Value\` CHAR(255) LOCALIZABLE, \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)" \
    -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`)
        VALUES ('FolderOnPath', '=-*PATH', '[~];[INSTALLDIR]', 'PathEntry')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)" \
    -q "CREATE TABLE \`Condition\` (\`Feature_\` CHAR(38) NOT NULL, \`Level\` SHORT NOT NULL, \`Condition\` CHAR(255)
        PRIMARY KEY \`Feature_\`, \`Level\`)" \
    -q "INSERT INTO \`Condition\` (\`Feature_\`, \`Level\`, \`Condition\`) VALUES ('CommandLineOnPath', 1, 'ADDTOPATH')" \
    -q "UPDATE \`Property\` SET \`Value\` = '${secure:+$secure;}ADDTOPATH' WHERE \`Property\` = 'SecureCustomProperties'"
mv -f "$partial" "$output"
