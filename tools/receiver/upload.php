<?php
// Upload endpoint for PHP's built-in server (see run.sh). It takes the plug-in's
// multipart POST, undoes the percent-encoding of the UTF-8 mode, stores the file and a
// JSON record of everything it parsed, and answers 200 with a line naming what it stored.
//
// Storage folder: $SNAPFERRY_STORE, else a folder "snapferry-received" in the temp folder.

header('Content-Type: text/plain; charset=utf-8');

$store = getenv('SNAPFERRY_STORE') ?: sys_get_temp_dir() . '/snapferry-received';

if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
    // GET /files/NAME hands a stored file back, for trying the downloader.
    $path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
    if (preg_match('#^/files/([^/]+)$#', $path, $m)) {
        $file = $store . '/' . basename(rawurldecode($m[1]));
        if (!is_file($file)) {
            http_response_code(404);
            echo "no such file\n";
            return;
        }
        $types = ['jpg' => 'image/jpeg', 'jpeg' => 'image/jpeg', 'png' => 'image/png', 'gif' => 'image/gif',
                  'bmp' => 'image/bmp', 'tif' => 'image/tiff'];
        $ext = strtolower(pathinfo($file, PATHINFO_EXTENSION));
        header('Content-Type: ' . ($types[$ext] ?? 'application/octet-stream'));
        header('Content-Length: ' . filesize($file));
        readfile($file);
        return;
    }
    echo "snapferry receiver: POST photos here\n";
    return;
}

// Values arrive percent-encoded in UTF-8 mode and as GBK bytes in GB2312 mode.
function decode_text(string $raw): string
{
    $text = urldecode($raw);
    if (preg_match('//u', $text)) {
        return $text;
    }
    $converted = @iconv('GBK', 'UTF-8', $text);
    return $converted === false ? $text : $converted;
}

// The remark is Base64 of the caption in the visitor's ANSI code page (GBK here).
function decode_remark(string $text): string
{
    $bytes = base64_decode(str_replace(["\n", "\r", ' '], '', $text), true);
    if ($bytes === false) {
        return '';
    }
    if (preg_match('//u', $bytes)) {
        return $bytes;
    }
    $converted = @iconv('GBK', 'UTF-8', $bytes);
    return $converted === false ? $bytes : $converted;
}

// A name safe to store: no folders, no control characters, never empty or hidden.
function safe_name(string $name): string
{
    $name = basename(str_replace('\\', '/', $name));
    $name = preg_replace('/[\x00-\x1f\x7f\/:*?"<>|]/', '_', $name);
    $name = ltrim($name, '.');
    return $name === '' ? 'upload.bin' : $name;
}

if (!is_dir($store) && !mkdir($store, 0777, true) && !is_dir($store)) {
    http_response_code(500);
    echo "cannot create the storage folder\n";
    return;
}

$fields = [];
foreach ($_POST as $name => $value) {
    $fields[$name] = decode_text((string)$value);
}
$remark = isset($fields['remark']) ? decode_remark($fields['remark']) : '';

$stored = [];
foreach ($_FILES as $field => $file) {
    if (is_array($file['name'])) {
        continue;  // the plug-in sends one file per request
    }
    if ($file['error'] !== UPLOAD_ERR_OK) {
        http_response_code(400);
        echo "upload of field $field failed with PHP error {$file['error']}\n";
        return;
    }
    $sentName = decode_text($file['name']);
    $name = safe_name($sentName);
    $target = $store . '/' . $name;
    if (!move_uploaded_file($file['tmp_name'], $target)) {
        http_response_code(500);
        echo "cannot store $name\n";
        return;
    }
    $record = [
        'field' => $field,
        'sent_name' => $sentName,
        'stored_name' => $name,
        'content_type' => $file['type'],
        'size' => filesize($target),
        'md5' => md5_file($target),
        'fields' => $fields,
        'remark_text' => $remark,
    ];
    file_put_contents($target . '.json', json_encode($record, JSON_UNESCAPED_UNICODE | JSON_PRETTY_PRINT) . "\n");
    $stored[] = sprintf('%s (%d bytes, md5 %s)', $name, $record['size'], $record['md5']);
}

if (!$stored) {
    http_response_code(400);
    echo "no file received\n";
    return;
}
echo 'stored ' . implode(', ', $stored);
