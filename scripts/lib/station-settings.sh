# Sourced by the demo and the benchmarks: writes the settings of stations for talvix5.
# Run from the repository's top folder.

# station_section NUMBER DATA_FOLDER KEY=VALUE...
# Prints the section [STATION<NUMBER>]: the station template of data/Talvix5.def ([DEFAULT]) with
# the given keys in place of the template's, and DataPath set to DATA_FOLDER.
station_section() {
  local n=$1 data=$2
  shift 2
  echo
  echo "[STATION$n]"
  sed -n '/^\[DEFAULT\]/,/^$/{/^\[/d;/^$/d;p}' data/Talvix5.def |
    grep -v -E "^($(printf '%s|' "${@%%=*}")DataPath)="
  printf '%s\n' "$@" "DataPath=$data/"
}
