#!/usr/bin/env bash
# Makes the demo set in a folder, once:
#   scripts/make-demo.sh DIR
# DIR/demo.mp4          30 s with a running clock and frame counter
# DIR/annotation1.mov   companion videos, short and each its own colour
#   .. annotation3.mov
# DIR/demo.xml          three tracks of annotations over demo.mp4
set -euo pipefail
dir="${1:?usage: scripts/make-demo.sh DIR}"
# Raised whenever the set changes, so that an older set is made again.
version=2
if [ "$(cat "$dir/.complete" 2>/dev/null)" = "$version" ]; then
  exit 0
fi
mkdir -p "$dir"
# Made beside the set and moved in at the end: an interrupted run leaves no
# half-made set that a later run would take for finished.
work="$(mktemp -d "$dir/.making.XXXXXX")"
trap 'rm -rf "$work"' EXIT

font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf
text="fontfile=$font:fontcolor=white:box=1:boxcolor=black@0.6:boxborderw=12:x=(w-tw)/2"
encode=(-c:v libx264 -preset veryfast -pix_fmt yuv420p -loglevel error -y)

echo "Préparation de la démonstration dans $dir ..."
ffmpeg -f lavfi -i "testsrc2=size=640x360:rate=25:duration=30" \
  -vf "drawtext=$text:fontsize=64:y=h/2-90:text='%{pts\\:hms}',drawtext=$text:fontsize=40:y=h/2+20:text='image %{n}'" \
  "${encode[@]}" "$work/demo.mp4"

colours=(darkred darkgreen navy)
for n in 1 2 3; do
  ffmpeg -f lavfi -i "color=c=${colours[n-1]}:size=480x270:rate=25:duration=6" \
    -vf "drawtext=$text:fontsize=48:y=h/2-70:text='Annotation $n',drawtext=$text:fontsize=36:y=h/2+20:text='%{pts\\:hms}'" \
    "${encode[@]}" "$work/annotation$n.mov"
done

# Times are hundredths of a timeline unit, a unit being 10 ms: 1 s is 10000.
cat > "$work/demo.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<corps>
  <piste libelle="Élève : déplacements">
    <segment debut="10000" fin="65000">
      <contenu titre="Entrée en scène" commentaire="L'élève arrive par la gauche, démarche hésitante." video="1"/>
    </segment>
    <segment debut="90000" fin="140000">
      <contenu titre="Arrêt" commentaire="Pause près du tableau." video="0"/>
    </segment>
    <segment debut="200000" fin="270000">
      <contenu titre="Sortie" commentaire="Départ rapide, regard vers la caméra." video="2"/>
    </segment>
  </piste>
  <piste libelle="Gestes de l'enseignant">
    <segment debut="30000" fin="80000">
      <contenu titre="Désignation" commentaire="Il montre l'écran à toute la classe." video="3"/>
    </segment>
    <segment debut="150000" fin="220000">
      <contenu titre="Écriture au tableau" commentaire="Schéma du cycle de l'eau &amp; légende." video="0"/>
    </segment>
  </piste>
  <piste libelle="Événements sonores">
    <segment debut="50000" fin="58000">
      <contenu titre="Porte" commentaire="Bruit de porte dans le couloir." video="0"/>
    </segment>
    <segment debut="120000" fin="180000">
      <contenu titre="Question d'un élève" commentaire="« Pourquoi l'eau s'évapore-t-elle ? »" video="1"/>
    </segment>
    <segment debut="250000" fin="295000">
      <contenu titre="Sonnerie" commentaire="Fin du cours, brouhaha général." video="2"/>
    </segment>
  </piste>
</corps>
EOF

mv "$work"/demo.mp4 "$work"/annotation{1,2,3}.mov "$work"/demo.xml "$dir"/
echo "$version" > "$dir/.complete"
