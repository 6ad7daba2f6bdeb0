# Sourced by the scripts that build what ships: every file time and time
# stamp of a build is the last commit's, so that two builds of one commit
# give the same bytes. A time already set (a caller building twice) stays.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
