// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CaptureOptions.h"

std::string CaptureHelpText() {
  // The captions on two lines, the microseconds then the milliseconds.
  std::string Bases;
  for (const TTimeBase& Base : TimeBaseTable) {
    if (&Base == &TimeBaseTable[9]) {
      Bases += "\n                        ";
    }
    Bases += " ";
    Bases += Base.Caption;
  }
  return "Usage : la16-capture [options]\n"
         "Lance une acquisition unique sur l'analyseur logique 16 entrées (USB 04D8:0005)\n"
         "et écrit ses échantillons au format VCD, CSV ou session sigrok.\n"
         "\n"
         "Options :\n"
         "  --list                 affiche les analyseurs trouvés, leur chemin et s'ils\n"
         "                         peuvent être ouverts en lecture et écriture\n"
         "  --simulate             utilise l'analyseur simulé au lieu du matériel\n"
         "  --time-base BASE       base de temps par division (défaut 1ms) :\n"
         "                        " +
         Bases +
         "\n"
         "                         (us est accepté pour µs) ; 30 échantillons par division\n"
         "  --trigger MODE         off (défaut), pattern=BITS, ext-high ou ext-low ;\n"
         "                         BITS : huit chiffres 0/1 pour les entrées 8 à 1\n"
         "                         (10000001 : entrées 8 et 1 hautes), ou 0x00 à 0xFF\n"
         "  --pull up|down         tirage des 16 entrées (défaut : inchangé)\n"
         "  --pc-speed N           vitesse du PC transmise à l'analyseur, 100 à 1000\n"
         "                         (défaut 100)\n"
         "  --whole                toute la mémoire, 2047 échantillons (défaut)\n"
         "  --window POSITION      seulement les 450 échantillons à partir de POSITION\n"
         "                         (0 à 1597)\n"
         "  --format vcd|csv|sr    format de sortie (défaut : selon l'extension de -o,\n"
         "                         sinon vcd)\n"
         "  -o, --output FICHIER   fichier de sortie (défaut ou - : sortie standard)\n"
         "  --timeout SECONDES     attente maximale des réponses de l'analyseur\n"
         "                         (défaut : sans limite pour le déclenchement,\n"
         "                         10 s pour chaque fenêtre)\n"
         "  --input CAPTURE        lit les échantillons d'un fichier .sr, .vcd ou .csv\n"
         "                         au lieu de l'analyseur, à toute fréquence\n"
         "  --decode SPEC          décode un bus (répétable), SPEC à la sigrok-cli avec\n"
         "                         les entrées par numéro : uart:rx=9:baudrate=9600,\n"
         "                         i2c:scl=10:sda=11, spi:clk=12:mosi=13:cs=14,\n"
         "                         pwm:data=15 (voir la16-capture(1))\n"
         "  --measure              mesures de chaque entrée sur toute la capture\n"
         "  --report FICHIER       fichier des annotations et mesures (défaut : sortie\n"
         "                         standard) ; sans -o, aucun échantillon écrit\n"
         "  -h, --help             affiche cette aide\n"
         "\n"
         "Une option qui prend une valeur s'écrit aussi --option=VALEUR.\n"
         "Période d'échantillonnage : la base de temps divisée par 30. L'instant de\n"
         "l'échantillon n est n fois la période, compté depuis le premier échantillon écrit.\n"
         "VCD : 16 signaux in1 à in16 ; instants entiers en unités de $timescale (au moins\n"
         "333 par période), arrondis à un tiers d'unité près, sans cumul d'erreur.\n"
         "CSV : en-tête puis une ligne par échantillon : sample (indice dans la mémoire de\n"
         "l'analyseur), time_s (secondes), in1 à in16 (0 ou 1).\n"
         "SR : session sigrok (archive zip) pour PulseView et sigrok-cli : 16 voies in1 à\n"
         "in16, la fréquence d'échantillonnage exacte de la base de temps (30 MHz à 1µs,\n"
         "30 kHz à 1ms, 60 Hz à 500ms), la base de temps et l'indice du premier\n"
         "échantillon. Construite en mémoire, elle peut aussi aller sur la sortie standard.\n"
         "Annotations (--decode) : first_sample,last_sample,time_s,decoder,event,value,\n"
         "valeurs en hexadécimal (0x41), PWM : period=...s duty=...%.\n"
         "Mesures (--measure) : input,rising_edges,falling_edges,shortest_high_s,\n"
         "longest_high_s,shortest_low_s,longest_low_s,frequency_hz,duty_percent.\n"
         "\n"
         "Codes de sortie :\n"
         "  0  réussite\n"
         "  1  erreur interne\n"
         "  2  arguments incorrects, SPEC fautive ou fichier --input illisible\n"
         "  3  aucun analyseur trouvé\n"
         "  4  accès refusé à l'analyseur (installer la règle udev "
         "packaging/linux/70-la16.rules)\n"
         "  5  délai dépassé (--timeout)\n"
         "  6  écriture impossible\n"
         "  7  analyseur perdu ou transfert en échec pendant la capture\n"
         "  8  données incohérentes (restitution incomplète, fenêtres en désaccord)\n";
}
