# Prints deb822 "deb-src" stanzas for the archives of every enabled "deb" entry
# in the apt source files given as input, so that `apt-get source` sees the same
# archives, suites, components and keys as the binary packages do. Files ending
# in .sources are read as deb822, all others as one-line lists.
#
# apt keeps one set of options per archive and suite, shared by deb and deb-src
# entries: once an entry has named a key (Signed-By), every later entry for the
# same archive and suite must name the same key, while entries without one may
# come before it. A machine may list one archive twice, in sources.list without
# a key and in a .sources file with one, so each archive and suite is written
# once, with the components of all its entries and the key apt has bound to it
# by the time it reads our file. Give the files in apt's reading order, with the
# argument ours=1 where our own file would be read.

function trim(s) { gsub(/^[ \t]+|[ \t]+$/, "", s); return s }

function add_entry(uri, suite, comps, signed,    key, n, c, i) {
  sub(/\/+$/, "", uri)
  key = uri SUBSEP suite
  if (!(key in uri_of)) { order[++count] = key; uri_of[key] = uri; suite_of[key] = suite }
  n = split(comps, c, /[ \t]+/)
  for (i = 1; i <= n; i++) {
    if (c[i] == "" || (key, c[i]) in has_comp) continue
    has_comp[key, c[i]] = 1
    comps_of[key] = comps_of[key] (comps_of[key] == "" ? "" : " ") c[i]
  }
  if (!entry_ours && signed != "" && !(key in key_of)) key_of[key] = signed
}

function flush_stanza(    nu, ns, u, s, i, j) {
  if (in_stanza && (" " field["types"] " ") ~ /[ \t]deb[ \t]/ && tolower(trim(field["enabled"])) != "no") {
    nu = split(trim(field["uris"]), u, /[ \t\n]+/)
    ns = split(trim(field["suites"]), s, /[ \t\n]+/)
    for (i = 1; i <= nu; i++)
      for (j = 1; j <= ns; j++)
        add_entry(u[i], s[j], field["components"], trim(field["signed-by"]))
  }
  in_stanza = 0; current = ""
  split("", field)
}

FNR == 1 { flush_stanza(); deb822 = (FILENAME ~ /\.sources$/) }

deb822 && /^[ \t]*$/ { flush_stanza(); next }
deb822 && /^#/ { next }
# Continuation lines: a Signed-By field may hold a whole key block.
deb822 && /^[ \t]/ { if (current != "") field[current] = field[current] "\n" $0; next }
deb822 {
  if (!in_stanza) { in_stanza = 1; entry_ours = ours }
  current = tolower(substr($0, 1, index($0, ":") - 1))
  field[current] = substr($0, index($0, ":") + 1)
  next
}

# One-line format: deb [opt=value ...] uri suite [component ...]
!deb822 && $1 == "deb" {
  line = $0
  sub(/^[ \t]*deb[ \t]+/, "", line)
  signed = ""
  if (line ~ /^\[/) {
    opts = substr(line, 2, index(line, "]") - 2)
    line = substr(line, index(line, "]") + 1)
    n = split(opts, o, /[ \t]+/)
    for (i = 1; i <= n; i++)
      if (tolower(o[i]) ~ /^signed-by=/) signed = substr(o[i], 11)
  }
  n = split(trim(line), w, /[ \t]+/)
  if (n < 2) next
  comps = ""
  for (i = 3; i <= n; i++) comps = comps " " w[i]
  entry_ours = ours
  add_entry(w[1], w[2], comps, signed)
}

END {
  flush_stanza()
  for (i = 1; i <= count; i++) {
    k = order[i]
    printf "%sTypes: deb-src\nURIs: %s\nSuites: %s\n", (i > 1 ? "\n" : ""), uri_of[k], suite_of[k]
    if (comps_of[k] != "") printf "Components: %s\n", comps_of[k]
    if (k in key_of) printf "Signed-By: %s\n", key_of[k]
  }
}
