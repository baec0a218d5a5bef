# Counts the Wine server's requests in a server trace (a wineserver started
# with -d, which is what WINEDEBUG=+server asks of the server a program
# starts) between the marks bench_end_to_end --server-requests leaves in it,
# for the marking process only. Streams: nothing of the trace is kept.
#
# Trace lines: "TTTT: name( args )" a request of thread TTTT, "TTTT: name() =
# STATUS { ... }" its reply. A thread's process comes from the reply of
# init_first_thread (pid=P) and, for later threads, from the reply of
# new_thread (tid=T) in the creating thread.
#
# Output, for each marked run LABEL:
#   run LABEL TOTAL OTHERS    requests of the marking process, of all others
#   request LABEL NAME COUNT  for each request name of the marking process
function field(text, key,    start) {
  if (!match(text, key "=[0-9a-f]+")) return ""
  start = RSTART + length(key) + 1
  return substr(text, start, RSTART + RLENGTH - start)
}
{
  colon = index($0, ": ")
  if (colon < 2) next
  tid = substr($0, 1, colon - 1)
  if (tid !~ /^[0-9a-f]+$/) next
  rest = substr($0, colon + 2)
  if (rest ~ /^init_first_thread\(\) = 0 /) { process[tid] = field(rest, "pid"); next }
  if (rest ~ /^new_thread\(\) = 0 /) { process[field(rest, "tid")] = process[tid]; next }
  open = index(rest, "( ")
  if (open < 2 || substr(rest, 1, open - 1) !~ /^[a-z_0-9]+$/) next
  name = substr(rest, 1, open - 1)
  if (index(rest, "TarnBenchMark.start.")) {
    label = rest
    sub(/.*TarnBenchMark\.start\./, "", label)
    sub(/".*/, "", label)
    marked = process[tid]
    counting = 1
    total = 0
    others = 0
    for (n in counts) delete counts[n]
    next
  }
  if (index(rest, "TarnBenchMark.end.")) {
    if (counting) {
      print "run", label, total, others
      for (n in counts) print "request", label, n, counts[n]
    }
    counting = 0
    next
  }
  if (!counting) next
  if (process[tid] == marked) {
    counts[name]++
    total++
  } else {
    others++
  }
}
