<?php
// Upload endpoint for PHP's built-in server (see run.sh). It takes the plug-in's
// multipart POST, undoes the percent-encoding of the UTF-8 mode, stores the file and a
// JSON record of everything it parsed, and answers 200 with a line naming what it stored.
//
// Storage folder: $SNAPFERRY_STORE, else a folder "snapferry-received" in the temp folder.

header('Content-Type: text/plain; charset=utf-8');

// The plug-in reads a response body only when it comes with a Content-Length, so every
// answer carries one (PHP's server would otherwise just close the connection after it).
function reply(int $status, string $text): void
{
    http_response_code($status);
    header('Content-Length: ' . strlen($text));
    echo $text;
}

$store = getenv('SNAPFERRY_STORE') ?: sys_get_temp_dir() . '/snapferry-received';

if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
    // GET /files/NAME hands a stored file back, for trying the downloader.
    $path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
    if (preg_match('#^/files/([^/]+)$#', $path, $m)) {
        $file = $store . '/' . basename(rawurldecode($m[1]));
        if (!is_file($file)) {
            reply(404, "no such file\n");
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
    reply(200, "snapferry receiver: POST photos here\n");
    return;
}

// Text as UTF-8: what is not valid UTF-8 is taken as GBK, the code page of the visitors'
// systems.
function to_utf8(string $bytes): string
{
    if (preg_match('//u', $bytes)) {
        return $bytes;
    }
    $converted = @iconv('GBK', 'UTF-8', $bytes);
    return $converted === false ? $bytes : $converted;
}

// In the UTF-8 mode every value and the file name are percent-encoded: nothing but letters,
// digits, "%" and "+". In the GB2312 mode they arrive as they are; the remark always holds
// a line feed then, so one look tells the two apart.
function request_is_encoded(array $post): bool
{
    $values = isset($post['remark']) ? [$post['remark']] : array_values($post);
    foreach ($values as $value) {
        if (!is_string($value) || !preg_match('/^[A-Za-z0-9%+]*$/', $value)) {
            return false;
        }
    }
    return true;
}

function decode_text(string $raw, bool $encoded): string
{
    return to_utf8($encoded ? urldecode($raw) : $raw);
}

// The remark is Base64 of the caption in the visitor's ANSI code page (GBK here).
function decode_remark(string $text): string
{
    $bytes = base64_decode(str_replace(["\n", "\r", ' '], '', $text), true);
    if ($bytes === false) {
        return '';
    }
    return to_utf8($bytes);
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
    reply(500, "cannot create the storage folder\n");
    return;
}

$encoded = request_is_encoded($_POST);
$fields = [];
foreach ($_POST as $name => $value) {
    $fields[to_utf8((string)$name)] = is_string($value) ? decode_text($value, $encoded) : '';
}
$remark = isset($fields['remark']) ? decode_remark($fields['remark']) : '';

$stored = [];
foreach ($_FILES as $field => $file) {
    if (is_array($file['name'])) {
        continue;  // the plug-in sends one file per request
    }
    if ($file['error'] !== UPLOAD_ERR_OK) {
        reply(400, "upload of field $field failed with PHP error {$file['error']}\n");
        return;
    }
    // The plug-in encodes the file name even where it sends values as they are; an encoded
    // name has no "." left in it.
    $nameEncoded = $encoded || (preg_match('/^[A-Za-z0-9%+]*$/', $file['name']) && strpos($file['name'], '%') !== false);
    $sentName = decode_text($file['name'], $nameEncoded);
    $name = safe_name($sentName);
    $target = $store . '/' . $name;
    if (!move_uploaded_file($file['tmp_name'], $target)) {
        reply(500, "cannot store $name\n");
        return;
    }
    $record = [
        'field' => $field,
        'sent_name' => $sentName,
        'stored_name' => $name,
        'content_type' => $file['type'],
        'size' => filesize($target),
        'md5' => md5_file($target),
        'encoded' => $encoded,
        'fields' => $fields,
        'remark_text' => $remark,
    ];
    file_put_contents($target . '.json', json_encode($record, JSON_UNESCAPED_UNICODE | JSON_PRETTY_PRINT) . "\n");
    $stored[] = sprintf('%s (%d bytes, md5 %s)', $name, $record['size'], $record['md5']);
}

if (!$stored) {
    reply(400, "no file received\n");
    return;
}
reply(200, 'stored ' . implode(', ', $stored));
