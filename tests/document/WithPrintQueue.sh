#!/usr/bin/env bash
# Runs a command with a print queue of its own: a CUPS scheduler on a socket in
# a scratch folder (the system's printers and settings are not touched) with
# one PDF printer (cups-pdf), made the default. The command sees
#   CUPS_SERVER                  the scheduler's socket
#   PIXMOTH_TEST_PRINT_QUEUE     the printer's name
#   PIXMOTH_TEST_PRINT_OUTPUT    the folder the printer writes its PDF files to
# or, where no queue can be started, only PIXMOTH_TEST_PRINT_QUEUE_SKIP with the
# reason.
#   WithPrintQueue.sh COMMAND [ARGUMENT...]
set -uo pipefail

run_without_queue() {
    export PIXMOTH_TEST_PRINT_QUEUE_SKIP="$1"
    shift
    exec "$@"
}

ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[[ -x /usr/sbin/cupsd && -f $ppd ]] ||
    run_without_queue "cups and printer-driver-cups-pdf are not installed (scripts/deps.sh test)" "$@"
# The cups-pdf backend runs only as root, and only a scheduler running as root
# can start it.
[[ $(id -u) -eq 0 ]] || run_without_queue "the cups-pdf printer needs root" "$@"

work=$(mktemp -d /tmp/pixmoth-cups-XXXXXX)
cupsd_pid=
cleanup() {
    [[ -n $cupsd_pid ]] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The filters run as the scheduler's user (lp): they must reach the spool and
# write their temporary files.
mkdir -p "$work/cache" "$work/spool" "$work/state" "$work/tmp" "$work/ppd"
chmod 755 "$work" "$work/cache" "$work/spool" "$work/state" "$work/ppd"
chmod 1777 "$work/tmp"
cat >"$work/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel warn
Browsing Off
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$work/cups-files.conf" <<CONF
ServerRoot $work
CacheDir $work/cache
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
RequestRoot $work/spool
ServerBin /usr/lib/cups
StateDir $work/state
TempDir $work/tmp
AccessLog $work/access_log
ErrorLog $work/error_log
PageLog $work/page_log
Printcap $work/printcap
SystemGroup root
CONF

/usr/sbin/cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" >"$work/cupsd.log" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 100); do
    [[ -S $CUPS_SERVER ]] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.1
done
queue=PixmothTestPDF
if ! lpstat -r >/dev/null 2>&1 ||
    ! lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" >"$work/lpadmin.log" 2>&1 ||
    ! lpadmin -d "$queue" >>"$work/lpadmin.log" 2>&1; then
    unset CUPS_SERVER
    reason="the print queue did not start: $(cat "$work/cupsd.log" "$work/lpadmin.log" 2>/dev/null | tr '\n' ' ')"
    cleanup
    trap - EXIT
    run_without_queue "$reason" "$@"
fi

# A user the system does not know prints anonymously: cups-pdf then writes to
# its own spool folder, not into anyone's home.
export CUPS_USER="pixmoth-print-test"
export PIXMOTH_TEST_PRINT_QUEUE="$queue"
anonymous=$(awk '$1 == "AnonDirName" { print $2 }' /etc/cups/cups-pdf.conf 2>/dev/null)
export PIXMOTH_TEST_PRINT_OUTPUT=${anonymous:-/var/spool/cups-pdf/ANONYMOUS}
"$@"
status=$?
[[ $status -ne 0 && -f $work/error_log ]] && cat "$work/error_log"
exit $status
