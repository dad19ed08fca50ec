# Prints deb822 "deb-src" stanzas mirroring every enabled "deb" entry of the
# apt source files given as input, so that `apt-get source` sees the same
# archives, suites, components and keys as the binary packages do.
# Files ending in .sources are read as deb822, all others as one-line lists.

function emit(body) {
  printf "%sTypes: deb-src\n%s\n", (emitted++ ? "\n" : ""), body
}

function flush_stanza() {
  if (in_stanza && types ~ / deb / && enabled != "no" && body != "")
    emit(body)
  in_stanza = 0; types = ""; enabled = "yes"; body = ""; keep = 0
}

FNR == 1 { flush_stanza(); deb822 = (FILENAME ~ /\.sources$/) }

deb822 && /^[ \t]*$/ { flush_stanza(); next }
deb822 && /^#/ { next }
deb822 && /^[ \t]/ { if (keep) body = body "\n" $0; next }
deb822 {
  in_stanza = 1
  key = tolower(substr($0, 1, index($0, ":") - 1))
  value = substr($0, index($0, ":") + 1)
  keep = 0
  if (key == "types") {
    types = " " value " "; gsub(/[ \t]+/, " ", types)
  } else if (key == "enabled") {
    enabled = tolower(value); gsub(/[ \t]/, "", enabled)
  } else if (key == "uris" || key == "suites" || key == "components" || key == "signed-by") {
    keep = 1; body = body (body == "" ? "" : "\n") $0
  }
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
      if (o[i] ~ /^signed-by=/) signed = substr(o[i], 11)
  }
  n = split(line, f, /[ \t]+/)
  j = 0
  for (i = 1; i <= n; i++) if (f[i] != "") w[++j] = f[i]
  if (j < 2) next
  comps = ""
  for (i = 3; i <= j; i++) comps = comps (comps == "" ? "" : " ") w[i]
  stanza = "URIs: " w[1] "\nSuites: " w[2]
  if (comps != "") stanza = stanza "\nComponents: " comps
  if (signed != "") stanza = stanza "\nSigned-By: " signed
  emit(stanza)
}

END { flush_stanza() }
