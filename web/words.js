// The page's words in each language: one phrase a key, in English first, then
// in each language the page speaks, by its tag (BCP 47). "dir" says which way a
// language is written: "rtl" lays the page out right to left.
//
// A {name} in a phrase is filled in as the page shows it: {esc} and {space}
// with the keys' names (the phrases of those keys, in a key's box), the others
// with what the page says there (a status, a reason, or a host's setting that
// keeps its technical name). Keep each in a translation, anywhere in it. A long
// phrase is written in parts joined by +, which the page reads as one.
//
// To add a language, give every phrase a line in it: tools/build-web stops on
// a phrase left out, a language no "dir" names, or a {name} lost or added. The
// phrases whose keys begin with "host" tell a host what it must allow; a page
// fetches them only when it cannot start (host-words.js).
const WORDS = {
  dir: {
    en: "ltr",
    ar: "rtl",
    de: "ltr",
    es: "ltr",
    fr: "ltr",
    id: "ltr",
    it: "ltr",
    ja: "ltr",
    ko: "ltr",
    pt: "ltr",
    ru: "ltr",
    tr: "ltr",
    "zh-Hans": "ltr",
    "zh-Hant": "ltr",
  },
  game: {
    en: "The game: a dot in a cave, steered to the white exit",
    ar: "اللعبة: نقطة في كهف تُوجَّه إلى المخرج الأبيض",
    de: "Das Spiel: ein Punkt in einer Höhle, der zum weißen Ausgang gesteuert wird",
    es: "El juego: un punto en una cueva, guiado hacia la salida blanca",
    fr: "Le jeu : un point dans une grotte, guidé vers la sortie blanche",
    id: "Permainan: sebuah titik di dalam gua, diarahkan ke pintu keluar putih",
    it: "Il gioco: un punto in una grotta, guidato verso l'uscita bianca",
    ja: "ゲーム画面：洞窟の中の点を白い出口へ導く",
    ko: "게임 화면: 동굴 속 점을 하얀 출구로 움직이는 게임",
    pt: "O jogo: um ponto numa caverna, conduzido até a saída branca",
    ru: "Игра: точка в пещере, которую ведут к белому " +
      "выходу",
    tr: "Oyun: bir mağarada beyaz çıkışa yönlendirilen bir nokta",
    "zh-Hans": "游戏画面：洞穴中的圆点，被引向白色出口",
    "zh-Hant": "遊戲畫面：洞穴中的圓點，被引向白色出口",
  },
  again: {
    en: "Play again",
    ar: "العب مجددًا",
    de: "Nochmal spielen",
    es: "Jugar de nuevo",
    fr: "Rejouer",
    id: "Main lagi",
    it: "Gioca ancora",
    ja: "もう一度プレイ",
    ko: "다시 하기",
    pt: "Jogar de novo",
    ru: "Играть снова",
    tr: "Yeniden oyna",
    "zh-Hans": "再玩一次",
    "zh-Hant": "再玩一次",
  },
  loading: {
    en: "Loading the game…",
    ar: "جارٍ تحميل اللعبة…",
    de: "Spiel wird geladen…",
    es: "Cargando el juego…",
    fr: "Chargement du jeu…",
    id: "Memuat permainan…",
    it: "Caricamento del gioco…",
    ja: "ゲームを読み込んでいます…",
    ko: "게임을 불러오는 중…",
    pt: "Carregando o jogo…",
    ru: "Загрузка игры…",
    tr: "Oyun yükleniyor…",
    "zh-Hans": "正在加载游戏…",
    "zh-Hant": "正在載入遊戲…",
  },
  space: {
    en: "Space",
    ar: "مسافة",
    de: "Leertaste",
    es: "Espacio",
    fr: "Espace",
    id: "Spasi",
    it: "Spazio",
    ja: "スペース",
    ko: "스페이스",
    pt: "Espaço",
    ru: "Пробел",
    tr: "Boşluk",
    "zh-Hans": "空格",
    "zh-Hant": "空白鍵",
  },
  esc: {
    en: "Esc",
    ar: "Esc",
    de: "Esc",
    es: "Esc",
    fr: "Échap",
    id: "Esc",
    it: "Esc",
    ja: "Esc",
    ko: "Esc",
    pt: "Esc",
    ru: "Esc",
    tr: "Esc",
    "zh-Hans": "Esc",
    "zh-Hant": "Esc",
  },
  fullscreen: {
    en: "Fullscreen",
    ar: "ملء الشاشة",
    de: "Vollbild",
    es: "Pantalla completa",
    fr: "Plein écran",
    id: "Layar penuh",
    it: "Schermo intero",
    ja: "全画面表示",
    ko: "전체 화면",
    pt: "Tela cheia",
    ru: "Во весь экран",
    tr: "Tam ekran",
    "zh-Hans": "全屏",
    "zh-Hant": "全螢幕",
  },
  leaveFullscreen: {
    en: "Leave fullscreen",
    ar: "الخروج من ملء الشاشة",
    de: "Vollbild beenden",
    es: "Salir de pantalla completa",
    fr: "Quitter le plein écran",
    id: "Keluar dari layar penuh",
    it: "Esci da schermo intero",
    ja: "全画面表示を終了",
    ko: "전체 화면 종료",
    pt: "Sair da tela cheia",
    ru: "Выйти из полноэкранного режима",
    tr: "Tam ekrandan çık",
    "zh-Hans": "退出全屏",
    "zh-Hant": "結束全螢幕",
  },
  contrast: {
    en: "Contrast",
    ar: "التباين",
    de: "Kontrast",
    es: "Contraste",
    fr: "Contraste",
    id: "Kontras",
    it: "Contrasto",
    ja: "コントラスト",
    ko: "고대비",
    pt: "Contraste",
    ru: "Контраст",
    tr: "Kontrast",
    "zh-Hans": "高对比度",
    "zh-Hant": "高對比",
  },
  move: {
    en: "move",
    ar: "تحريك",
    de: "bewegen",
    es: "mover",
    fr: "se déplacer",
    id: "bergerak",
    it: "muoversi",
    ja: "移動",
    ko: "이동",
    pt: "mover",
    ru: "движение",
    tr: "hareket",
    "zh-Hans": "移动",
    "zh-Hant": "移動",
  },
  keys: {
    en: "{esc} quits · {space} plays again",
    ar: "{esc} للخروج · {space} للعب مجددًا",
    de: "{esc} beendet · {space} spielt nochmal",
    es: "{esc} sale · {space} juega de nuevo",
    fr: "{esc} quitte · {space} rejoue",
    id: "{esc} keluar · {space} main lagi",
    it: "{esc} esce · {space} gioca ancora",
    ja: "{esc} 終了 · {space} もう一度",
    ko: "{esc} 종료 · {space} 다시 하기",
    pt: "{esc} sai · {space} joga de novo",
    ru: "{esc} — выход · {space} — играть снова",
    tr: "{esc} çıkış · {space} yeniden oyna",
    "zh-Hans": "{esc} 退出 · {space} 再玩一次",
    "zh-Hant": "{esc} 離開 · {space} 再玩一次",
  },
  holdEscape: {
    en: "In fullscreen, hold {esc} to leave",
    ar: "في ملء الشاشة، اضغط مطولًا على {esc} للخروج",
    de: "Im Vollbild zum Verlassen {esc} gedrückt halten",
    es: "En pantalla completa, mantén {esc} para salir",
    fr: "En plein écran, maintenez {esc} pour quitter",
    id: "Dalam layar penuh, tahan {esc} untuk keluar",
    it: "A schermo intero, tieni premuto {esc} per uscire",
    ja: "全画面表示中は {esc} を長押しで終了",
    ko: "전체 화면에서는 {esc}를 길게 눌러 나가기",
    pt: "Em tela cheia, segure {esc} para sair",
    ru: "Чтобы выйти из полноэкранного режима, " +
      "удерживайте {esc}",
    tr: "Tam ekrandan çıkmak için {esc} tuşunu basılı tutun",
    "zh-Hans": "全屏时按住 {esc} 退出",
    "zh-Hant": "全螢幕時按住 {esc} 離開",
  },
  escapeLeaves: {
    en: "{esc} leaves fullscreen",
    ar: "{esc} للخروج من ملء الشاشة",
    de: "{esc} beendet das Vollbild",
    es: "{esc} sale de pantalla completa",
    fr: "{esc} quitte le plein écran",
    id: "{esc} keluar dari layar penuh",
    it: "{esc} esce da schermo intero",
    ja: "{esc} で全画面表示を終了",
    ko: "{esc}로 전체 화면 종료",
    pt: "{esc} sai da tela cheia",
    ru: "{esc} — выход из полноэкранного режима",
    tr: "{esc} tam ekrandan çıkar",
    "zh-Hans": "{esc} 退出全屏",
    "zh-Hant": "{esc} 結束全螢幕",
  },
  touch: {
    en: "Drag a finger on the game to steer the dot",
    ar: "اسحب إصبعك على اللعبة لتوجيه النقطة",
    de: "Ziehe einen Finger über das Spiel, um den Punkt zu steuern",
    es: "Desliza un dedo sobre el juego para guiar el punto",
    fr: "Faites glisser un doigt sur le jeu pour guider le point",
    id: "Geser jari di atas permainan untuk mengarahkan titik",
    it: "Trascina un dito sul gioco per guidare il punto",
    ja: "ゲーム上で指をドラッグして点を操作",
    ko: "게임 위에서 손가락을 끌어 점을 움직이세요",
    pt: "Arraste um dedo sobre o jogo para conduzir o ponto",
    ru: "Проведите пальцем по игре, чтобы вести точку",
    tr: "Noktayı yönlendirmek için parmağınızı oyunda sürükleyin",
    "zh-Hans": "在游戏上拖动手指来操纵圆点",
    "zh-Hant": "在遊戲上拖曳手指來操控圓點",
  },
  pad: {
    en: "Pad: stick or d-pad moves, A plays again, B quits",
    ar: "ذراع التحكم: العصا أو أزرار الاتجاهات للتحريك، A " +
      "للعب مجددًا، B للخروج",
    de: "Gamepad: Stick oder Steuerkreuz bewegt, A spielt nochmal, B beendet",
    es: "Mando: el stick o la cruceta mueven, A juega de nuevo, B sale",
    fr: "Manette : le stick ou la croix déplace, A rejoue, B quitte",
    id: "Gamepad: stik atau d-pad bergerak, A main lagi, B keluar",
    it: "Gamepad: levetta o croce direzionale per muoversi, A gioca ancora, B esce",
    ja: "ゲームパッド：スティックか十字キーで移動、A でもう一度、B " +
      "で終了",
    ko: "게임패드: 스틱이나 방향 패드로 이동, A는 다시 하기, B는 종료",
    pt: "Controle: o analógico ou o direcional move, A joga de novo, B sai",
    ru: "Геймпад: стик или крестовина — движение, A — " +
      "снова, B — выход",
    tr: "Kumanda: analog çubuk veya yön tuşları hareket ettirir, A yeniden oynatır, B çıkar",
    "zh-Hans": "手柄：摇杆或方向键移动，A 再玩一次，B 退出",
    "zh-Hant": "手把：搖桿或方向鍵移動，A 再玩一次，B 離開",
  },
  otherPad: {
    en: "Pad of unknown layout: its stick moves, no button",
    ar: "ذراع تحكم بتخطيط غير معروف: تتحرك بالعصا فقط، " +
      "دون أزرار",
    de: "Gamepad mit unbekannter Belegung: nur der Stick bewegt, keine Taste",
    es: "Mando de distribución desconocida: solo su stick mueve, ningún botón",
    fr: "Manette de disposition inconnue : seul son stick déplace, aucun bouton",
    id: "Gamepad dengan tata letak tak dikenal: hanya stiknya yang bergerak, tanpa tombol",
    it: "Gamepad di disposizione sconosciuta: solo la levetta muove, nessun pulsante",
    ja: "配置が不明なゲームパッド：スティックで移動のみ、" +
      "ボタンは使えません",
    ko: "배치를 알 수 없는 게임패드: 스틱으로 이동만, 버튼은 없음",
    pt: "Controle de layout desconhecido: só o analógico move, nenhum botão",
    ru: "Геймпад неизвестной раскладки: только стик, без " +
      "кнопок",
    tr: "Düzeni bilinmeyen kumanda: yalnızca analog çubuk hareket ettirir, düğmeler " +
      "çalışmaz",
    "zh-Hans": "布局未知的手柄：仅摇杆可移动，按键无效",
    "zh-Hant": "配置不明的手把：僅搖桿可移動，按鍵無效",
  },
  ended: {
    en: "The game has ended.",
    ar: "انتهت اللعبة.",
    de: "Das Spiel ist zu Ende.",
    es: "La partida ha terminado.",
    fr: "La partie est terminée.",
    id: "Permainan telah berakhir.",
    it: "La partita è finita.",
    ja: "ゲームは終了しました。",
    ko: "게임이 끝났습니다.",
    pt: "O jogo terminou.",
    ru: "Игра окончена.",
    tr: "Oyun bitti.",
    "zh-Hans": "游戏已结束。",
    "zh-Hant": "遊戲已結束。",
  },
  stopped: {
    en: "The game has stopped (status {status}).",
    ar: "توقفت اللعبة (الحالة {status}).",
    de: "Das Spiel wurde beendet (Status {status}).",
    es: "El juego se ha detenido (estado {status}).",
    fr: "Le jeu s'est arrêté (statut {status}).",
    id: "Permainan berhenti (status {status}).",
    it: "Il gioco si è fermato (stato {status}).",
    ja: "ゲームが停止しました（ステータス {status}）。",
    ko: "게임이 멈췄습니다(상태 {status}).",
    pt: "O jogo parou (status {status}).",
    ru: "Игра остановилась (код {status}).",
    tr: "Oyun durdu (durum {status}).",
    "zh-Hans": "游戏已停止（状态 {status}）。",
    "zh-Hant": "遊戲已停止（狀態 {status}）。",
  },
  crashed: {
    en: "The game has crashed ({why}).",
    ar: "تعطلت اللعبة ({why}).",
    de: "Das Spiel ist abgestürzt ({why}).",
    es: "El juego se ha bloqueado ({why}).",
    fr: "Le jeu a planté ({why}).",
    id: "Permainan macet ({why}).",
    it: "Il gioco si è bloccato ({why}).",
    ja: "ゲームがクラッシュしました（{why}）。",
    ko: "게임이 비정상 종료되었습니다({why}).",
    pt: "O jogo travou ({why}).",
    ru: "Игра аварийно завершилась ({why}).",
    tr: "Oyun çöktü ({why}).",
    "zh-Hans": "游戏崩溃了（{why}）。",
    "zh-Hant": "遊戲當掉了（{why}）。",
  },
  hostSandboxed: {
    en: "The game cannot load in a frame sandboxed into an origin of its own: the host must add " +
      "{token} to its sandbox.",
    ar: "لا يمكن تحميل اللعبة في إطار معزول في أصل خاص به: " +
      "على المضيف إضافة {token} إلى sandbox.",
    de: "Das Spiel kann nicht in einem Frame laden, dessen Sandbox ihm einen eigenen Ursprung " +
      "gibt: Der Host muss {token} zur Sandbox hinzufügen.",
    es: "El juego no puede cargarse en un marco aislado en un origen propio: el sitio debe " +
      "añadir {token} a su sandbox.",
    fr: "Le jeu ne peut pas se charger dans un cadre isolé dans sa propre origine : " +
      "l'hébergeur " +
      "doit ajouter {token} à son sandbox.",
    id: "Permainan tidak dapat dimuat dalam frame yang di-sandbox ke origin tersendiri: host " +
      "harus menambahkan {token} ke sandbox-nya.",
    it: "Il gioco non può caricarsi in un frame isolato in un'origine propria: l'host deve " +
      "aggiungere {token} alla sandbox.",
    ja: "独自のオリジンにサンドボックス化されたフレームではゲームを" +
      "読み込めません。ホストは " +
      "sandbox に {token} を追加する必要があります。",
    ko: "자체 출처로 샌드박스된 프레임에서는 게임을 불러올 수 " +
      "없습니다. 호스트가 sandbox에 " +
      "{token}을(를) 추가해야 합니다.",
    pt: "O jogo não pode carregar num quadro isolado em uma origem própria: o site precisa " +
      "adicionar {token} ao sandbox.",
    ru: "Игра не может загрузиться во фрейме, " +
      "изолированном в собственном источнике: сайт " +
      "должен добавить {token} в sandbox.",
    tr: "Oyun, kendine ait bir kökene yalıtılmış bir çerçevede yüklenemez: site, " +
      "sandbox'a " +
      "{token} eklemeli.",
    "zh-Hans": "游戏无法在沙盒化为独立源的框架中加载：宿主必须在 sandbox " +
      "中加入 {token}。",
    "zh-Hant": "遊戲無法在沙箱化為獨立來源的框架中載入：主機必須在 " +
      "sandbox 中加入 {token}。",
  },
  hostRefused: {
    en: "This site's security policy refused the game's code: the host must allow {token} in " +
      "{directive}.",
    ar: "رفضت سياسة الأمان في هذا الموقع شيفرة اللعبة: " +
      "على المضيف السماح بـ {token} في " +
      "{directive}.",
    de: "Die Sicherheitsrichtlinie dieser Website hat den Code des Spiels abgelehnt: Der Host " +
      "muss {token} in {directive} erlauben.",
    es: "La política de seguridad de este sitio rechazó el código del juego: el sitio debe " +
      "permitir {token} en {directive}.",
    fr: "La politique de sécurité de ce site a refusé le code du jeu : l'hébergeur doit " +
      "autoriser {token} dans {directive}.",
    id: "Kebijakan keamanan situs ini menolak kode permainan: host harus mengizinkan {token} di " +
      "{directive}.",
    it: "La politica di sicurezza di questo sito ha rifiutato il codice del gioco: l'host deve " +
      "consentire {token} in {directive}.",
    ja: "このサイトのセキュリティポリシーがゲームのコードを拒否しま" +
      "した。ホストは {directive} " +
      "で {token} を許可する必要があります。",
    ko: "이 사이트의 보안 정책이 게임 코드를 거부했습니다. 호스트가 " +
      "{directive}에서 " +
      "{token}을(를) 허용해야 합니다.",
    pt: "A política de segurança deste site recusou o código do jogo: o site precisa permitir " +
      "{token} em {directive}.",
    ru: "Политика безопасности этого сайта отклонила " +
      "код игры: сайт должен разрешить {token} в " +
      "{directive}.",
    tr: "Bu sitenin güvenlik politikası oyunun kodunu reddetti: site, {directive} içinde " +
      "{token} değerine izin vermeli.",
    "zh-Hans": "本网站的安全策略拒绝了游戏代码：宿主必须在 {directive} " +
      "中允许 {token}。",
    "zh-Hant": "本網站的安全性原則拒絕了遊戲程式碼：主機必須在 " +
      "{directive} 中允許 {token}。",
  },
  hostUnloaded: {
    en: "The game could not be loaded ({why}): the host must serve all its files beside this page.",
    ar: "تعذّر تحميل اللعبة ({why}): على المضيف تقديم كل " +
      "ملفاتها بجانب هذه الصفحة.",
    de: "Das Spiel konnte nicht geladen werden ({why}): Der Host muss alle seine Dateien neben " +
      "dieser Seite bereitstellen.",
    es: "No se pudo cargar el juego ({why}): el sitio debe servir todos sus archivos junto a " +
      "esta página.",
    fr: "Le jeu n'a pas pu se charger ({why}) : l'hébergeur doit servir tous ses fichiers à " +
      "côté de cette page.",
    id: "Permainan tidak dapat dimuat ({why}): host harus menyajikan semua berkasnya di samping " +
      "halaman ini.",
    it: "Impossibile caricare il gioco ({why}): l'host deve servire tutti i suoi file accanto a " +
      "questa pagina.",
    ja: "ゲームを読み込めませんでした（{why}）。" +
      "ホストはすべてのファイルをこのページと同じ場所で配信する必要" +
      "があります。",
    ko: "게임을 불러올 수 없습니다({why}). 호스트가 모든 파일을 이 " +
      "페이지와 같은 곳에서 " +
      "제공해야 합니다.",
    pt: "Não foi possível carregar o jogo ({why}): o site precisa servir todos os arquivos " +
      "dele " +
      "junto a esta página.",
    ru: "Не удалось загрузить игру ({why}): сайт должен " +
      "отдавать все её файлы рядом с этой " +
      "страницей.",
    tr: "Oyun yüklenemedi ({why}): site, oyunun tüm dosyalarını bu sayfanın yanında " +
      "sunmalı.",
    "zh-Hans": "无法加载游戏（{why}）：" +
      "宿主必须把游戏的所有文件放在本页旁边提供。",
    "zh-Hant": "無法載入遊戲（{why}）：" +
      "主機必須把遊戲的所有檔案放在本頁旁邊提供。",
  },
};
