# Sourced by the scripts that run daylog: the viewer daylog starts outlives it, in the process group
# daylog was started in (with setsid). That group, and no other process, is ended, and waited for.
end_group() {  # the group's id
  kill -- "-$1" 2>/dev/null || true
  # Until the group is gone, ten seconds at most.
  for _ in $(seq 200); do
    kill -0 -- "-$1" 2>/dev/null || return 0
    sleep 0.05
  done
}
