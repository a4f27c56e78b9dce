# Sourced by the scripts that write a "cert" value: cert_field TEXT prints the
# 20-byte text field in hex, each byte nibble-swapped, zero padded.
cert_field() {
  local text=$1 i hex
  for ((i = 0; i < 20; i++)); do
    if ((i < ${#text})); then
      hex=$(printf '%02x' "'${text:i:1}")
      printf '%s%s' "${hex:1:1}" "${hex:0:1}"
    else
      printf '00'
    fi
  done
}
