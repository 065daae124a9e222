#!/usr/bin/env bash
# Writes tables of a built MSI as msiinfo exports them, beside the package, for
# the installer tests to read: PACKAGE.TABLE.idt for each TABLE.
#
#   tests/install/export-tables.sh PACKAGE.msi TABLE...
set -euo pipefail
package=${1:?usage: export-tables.sh PACKAGE.msi TABLE...}
shift
for table in "$@"; do
    msiinfo export "$package" "$table" >"${package%.msi}.$table.idt"
done
