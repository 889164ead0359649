#!/usr/bin/env bash
# Writes the one-page user guide of the Setup sample medium,
# samples/setup-medium/docs/hushdesk-guide.pdf: a plain PDF 1.4 file with a
# correct cross-reference table, built from text so that no PDF tool is needed.
# Usage: samples/make-guide-pdf.sh [output.pdf]
set -euo pipefail
out=${1:-"$(dirname "$0")/setup-medium/docs/hushdesk-guide.pdf"}

lines=(
  "Hushdesk 1.0 - User guide"
  ""
  "1. Start Hushdesk and choose File > Open to load a WAV recording"
  "   (mono or stereo, 8000 or 16000 Hz, 16-bit PCM, A-law or mu-law)."
  "2. Listen to it with Play; click the waveform to move the cursor."
  "3. Tune the cleaning in Noise-Clean > Settings if the noise is strong."
  "4. Choose Noise-Clean > Perform Noise Cleaning and listen again."
  ""
  "Your recording file is never written: Hushdesk cleans a copy."
  "To clean many files at once, use hushdesk-clean from a terminal:"
  "   hushdesk-clean -o cleaned/ calls/*.wav"
)
stream="BT /F1 16 Tf 56 780 Td 20 TL"
first=1
for line in "${lines[@]}"; do
  escaped=${line//\\/\\\\}; escaped=${escaped//(/\\(}; escaped=${escaped//)/\\)}
  if ((first)); then stream+=" ($escaped) Tj /F1 11 Tf"; first=0; else stream+=" T* ($escaped) Tj"; fi
done
stream+=" ET"

objects=(
  "<< /Type /Catalog /Pages 2 0 R >>"
  "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
  "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>"
  "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
  "<< /Length ${#stream} >>
stream
$stream
endstream"
)

pdf="%PDF-1.4"$'\n'
offsets=()
for i in "${!objects[@]}"; do
  offsets+=("${#pdf}")
  pdf+="$((i + 1)) 0 obj"$'\n'"${objects[$i]}"$'\n'"endobj"$'\n'
done
xref=${#pdf}
pdf+="xref"$'\n'"0 $((${#objects[@]} + 1))"$'\n'"0000000000 65535 f "$'\n'
for offset in "${offsets[@]}"; do
  pdf+="$(printf '%010d' "$offset") 00000 n "$'\n'
done
pdf+="trailer"$'\n'"<< /Size $((${#objects[@]} + 1)) /Root 1 0 R >>"$'\n'"startxref"$'\n'"$xref"$'\n'"%%EOF"$'\n'

mkdir -p "$(dirname "$out")"
# The text is ASCII, so characters and bytes agree in the offsets above.
LC_ALL=C printf '%s' "$pdf" > "$out"
echo "wrote $out"
